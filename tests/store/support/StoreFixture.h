// Shared helpers of the store tests: a document with its root, the error
// state before and after an operation, and the two ways to list a level's keys.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "framework/core/MsgBox.h"
#include "framework/core/ScopedHook.h"
#include "plist/plist.h"
#include "plist/plistDict.h"

namespace storetest {

// What an operation does to the document's error state.
struct ErrorOutcome {
  enum Kind { kCleared, kKept, kSet } kind;
  std::string message;  // for kSet
};
inline ErrorOutcome Cleared() { return {ErrorOutcome::kCleared, {}}; }
inline ErrorOutcome Kept() { return {ErrorOutcome::kKept, {}}; }
inline ErrorOutcome Set(std::string message) { return {ErrorOutcome::kSet, std::move(message)}; }

inline constexpr const char* kEarlier = "an earlier error";

class StoreTest : public ::testing::Test {
 protected:
  plist doc;
  plistDict& root() { return *doc.root; }

  // An array child of the root under key, filled with strings.
  plistDict& MakeArray(const std::string& key, const std::vector<std::string>& strings = {}) {
    root().AddArray(key);
    plistDict& a = *root().child(key);
    for (const auto& s : strings) a.AppendString(s);
    return a;
  }

  void SeedError() {
    doc.error = true;
    doc.errorMessage = kEarlier;
  }

  void ExpectOutcome(const ErrorOutcome& expected) {
    switch (expected.kind) {
      case ErrorOutcome::kCleared:
        EXPECT_FALSE(doc.error);
        EXPECT_EQ(doc.errorMessage, "");
        break;
      case ErrorOutcome::kKept:
        EXPECT_TRUE(doc.error);
        EXPECT_EQ(doc.errorMessage, kEarlier);
        break;
      case ErrorOutcome::kSet:
        EXPECT_TRUE(doc.error);
        EXPECT_EQ(doc.errorMessage, expected.message);
        break;
    }
  }
};

// The document holds exactly this recorded error.
inline void ExpectError(const plist& doc, const fw::String& message) {
  EXPECT_TRUE(doc.error);
  EXPECT_EQ(doc.errorMessage, message);
}

// The document's error state is clear.
inline void ExpectNoError(const plist& doc) {
  EXPECT_FALSE(doc.error) << doc.errorMessage;
  EXPECT_EQ(doc.errorMessage, "");
}

// The walk: every key in key order through the level's own cursor.
inline std::vector<std::string> Walk(plistDict& level) {
  std::vector<std::string> keys;
  if (level.count() == 0) return keys;
  level.MoveFirst();
  while (!level.eof) {
    keys.push_back(level.CurrentKey());
    level.MoveNext();
  }
  return keys;
}

// The key order by position, as the writer takes it.
inline std::vector<std::string> KeyOrder(const plistDict& level) {
  std::vector<std::string> keys;
  for (std::int32_t i = 0; i < level.types.Count(); ++i) keys.push_back(level.types.Key(i));
  return keys;
}

// Records every MsgBox text while alive.
class MsgBoxRecorder {
 public:
  MsgBoxRecorder() : guard_([this](const fw::String& text) { shown.push_back(text); }) {}
  std::vector<std::string> shown;

 private:
  fw::ScopedHook<fw::SetMsgBoxHook> guard_;
};

// Exposes the protected parts of a node for tests that build levels the public
// operations cannot (a key repeated in the child list, as a read file gives).
class ProbeDict : public plistDict {
 public:
  using plistDict::AppendChildNode;
  using plistDict::CheckType;
  using plistDict::ChildPosition;
  using plistDict::ChildPositions;
  using plistDict::children;
  using plistDict::childrenNames;
  using plistDict::LastChildPosition;
  using plistDict::MakeChildNode;
  using plistDict::MakeTwo;
  using plistDict::RenameChildAt;
  using plistDict::TakeChildAt;
  using plistDict::TypeOK;

  // Makes this node report to d, as a node of d's tree would.
  void AttachTo(plist& d) { rootClass = &d; }
};

}  // namespace storetest
