// Helpers of the reader, writer and document tests: a level written to text,
// a level read from text, and a canonical description of a tree to compare
// trees by.
#pragma once

#include <pthread.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/FolderItem.h"
#include "framework/core/TextInputStream.h"
#include "framework/core/TextOutputStream.h"
#include "plist/plist.h"
#include "plist/plistDict.h"
#include "tests/support/Escaped.h"
#include "tests/support/TempFolder.h"

namespace xmltest {

// Runs fn on a thread with a 128 KiB stack (more under the address
// sanitizer, whose frames are larger), and waits for it.
inline void RunWithSmallStack(const std::function<void()>& fn) {
#if defined(__SANITIZE_ADDRESS__)
  const size_t size = 1024 * 1024;
#else
  const size_t size = 128 * 1024;
#endif
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, size);
  pthread_t thread;
  auto body = [](void* arg) -> void* {
    (*static_cast<const std::function<void()>*>(arg))();
    return nullptr;
  };
  if (pthread_create(&thread, &attr, body, const_cast<std::function<void()>*>(&fn)) == 0)
    pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

inline std::string Join(const std::vector<std::string>& lines, const char* end = "\n") {
  std::string text;
  for (const auto& l : lines) text += l + end;
  return text;
}

// What node.Write(stream, indent) puts in a file.
inline std::string Written(plistDict& node, int indent) {
  testsupport::TempFolder tmp;
  fw::FolderItem file(tmp.File("w"));
  auto out = file.CreateTextFile();
  node.Write(*out, indent);
  out->Close();
  return testsupport::ReadFile(file.AbsolutePath());
}

// A free-standing level read from the given lines (the lines after "<dict>").
inline std::unique_ptr<plistDict> Read(const std::string& text, bool array = false) {
  auto node = std::make_unique<plistDict>();
  auto in = fw::TextInputStream::FromText(text);
  node->Load(in.get(), "root", array, nullptr, nullptr, true);
  return node;
}

// Normalisations for comparing with other readers: data without white
// space, reals in one spelling.
struct Normal {
  bool peer = false;
};

inline std::string NormalValue(const std::string& type, const std::string& value, Normal n) {
  if (!n.peer) return value;
  if (type == "data") {
    std::string out;
    for (char c : value)
      if (c != ' ' && c != '\t' && c != '\n' && c != '\r') out += c;
    return out;
  }
  if (type == "real") {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g", std::strtod(value.c_str(), nullptr));
    return buf;
  }
  return value;
}

using testsupport::Escaped;

// One line per entry, in key order: indent, key, type, value; the entries
// of every child under the key follow, one level deeper.
inline void DescribeInto(const plistDict& node, int depth, std::string& out, Normal n) {
  for (int i = 0; i < node.types.Count(); ++i) {
    const std::string& key = node.types.Key(i);
    const std::string& type = node.types.Value(key);
    out += std::string(static_cast<size_t>(depth) * 2, ' ') + Escaped(key) + " (" + type + ")";
    if (type == "dict" || type == "array") {
      plistDict* c = const_cast<plistDict&>(node).child(key);  // the first child under key
      out += c ? (c->isArray ? " [array]\n" : " [dict]\n") : " [no child]\n";
      if (c) DescribeInto(*c, depth + 1, out, n);
      continue;
    }
    const std::string* v = node.values.Find(key);
    out += v ? " = " + Escaped(NormalValue(type, *v, n)) : std::string(" (no value)");
    out += "\n";
  }
}

inline std::string Describe(const plistDict& node, Normal n = {}) {
  std::string out;
  DescribeInto(node, 0, out, n);
  return out;
}

// The text (the lines after the root's "<dict>") read as the root level of
// a document without a file: Describe of the root, or "refused" when the
// reader refused it and the document recorded "Not a plist file" (the root
// must then be empty).
inline std::string ReadOrRefuse(const std::string& text, bool array = false) {
  plist doc;
  auto in = fw::TextInputStream::FromText(text);
  doc.root->Load(in.get(), "root", array, nullptr, &doc, true);
  if (!doc.error) return Describe(*doc.root);
  if (doc.errorMessage != "Not a plist file") return "error: " + doc.errorMessage;
  return doc.root->count() == 0 ? "refused" : "refused, not emptied";
}

}  // namespace xmltest
