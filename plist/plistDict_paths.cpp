// A level's path in its tree, and moving, copying and renaming its entries.
//
// Entries travel through the typed reads and writes one value at a time, so
// each value arrives in the text form its write produces. See plistDict.h
// for the refusals that keep an entry from being lost or a copy from running
// forever.
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Variant.h"
#include "plist/plist.h"
#include "plist/plistDict.h"

namespace {

const char kWithinSource[] = "Destination lies within the source";
const char kSameEntry[] = "Source and destination are the same";
const char kEmptyName[] = "New name is empty";

bool IsLevel(const fw::String& type) {
  return fw::TextEquals(type, "dict") || fw::TextEquals(type, "array");
}

bool IsCopyable(const fw::String& type) {
  static const char* const kTypes[] = {"string", "boolean", "real", "double", "integer",
                                       "data",   "date",    "dict", "array"};
  for (const char* t : kTypes) {
    if (fw::TextEquals(type, t)) return true;
  }
  return false;
}

// True when node is level or lies anywhere below it.
bool IsWithin(const plistDict* node, const plistDict* level) {
  for (const plistDict* n = node; n != nullptr; n = n->parent) {
    if (n == level) return true;
  }
  return false;
}

// The state of one Move: the level being moved (nothing for a leaf), which
// no write may reach, and the first write that failed.
struct CopyJob {
  const plistDict* sourceLevel = nullptr;
  bool failed = false;
  fw::String failure;  // message of the first failed write

  void Fail(const fw::String& message) {
    if (!failed) failure = message;
    failed = true;
  }
};

// Notes the mismatch a setter storing storedType under key in the dict level
// dest is about to refuse, when it will refuse.
void CheckStore(plistDict& dest, const fw::String& key, const char* storedType, CopyJob& job) {
  if (!dest.Exists(key)) return;
  const fw::String existing = dest.GetType(key);
  if (!fw::TextEquals(existing, storedType))
    job.Fail("Type Mismatch: " + key + " is a " + existing);
}

void CopyLeaf(plistDict& src, const fw::String& key, const fw::String& type, plistDict& dest,
              const fw::String& newKey, CopyJob& job) {
  const bool toArray = dest.isArray;
  if (fw::TextEquals(type, "string")) {
    const fw::String v = src.GetString(key);
    if (toArray) {
      dest.AppendString(v);
    } else {
      CheckStore(dest, newKey, "string", job);
      dest.SetString(newKey, v);
    }
  } else if (fw::TextEquals(type, "boolean")) {
    const bool v = src.GetBoolean(key);
    if (toArray) {
      dest.AppendBoolean(v);
    } else {
      CheckStore(dest, newKey, "boolean", job);
      dest.SetBoolean(newKey, v);
    }
  } else if (fw::TextEquals(type, "real") || fw::TextEquals(type, "double")) {
    const double v = src.GetDouble(key);
    if (toArray) {
      dest.AppendDouble(v);
    } else {
      CheckStore(dest, newKey, "real", job);
      dest.SetDouble(newKey, v);
    }
  } else if (fw::TextEquals(type, "integer")) {
    const std::int32_t v = src.GetInteger(key);
    if (toArray) {
      dest.AppendInteger(v);
    } else {
      CheckStore(dest, newKey, "integer", job);
      dest.SetInteger(newKey, static_cast<double>(v));
    }
  } else if (fw::TextEquals(type, "data")) {
    const fw::String v = src.GetString(key);
    if (toArray) {
      dest.AppendData(v);
    } else {
      dest.SetData(newKey, v);
    }
  } else {  // "date"
    const std::optional<fw::Date> v = src.GetDate(key);
    if (!v) {
      job.Fail("");
      return;
    }
    if (toArray) {
      dest.AppendDate(v);
    } else {
      CheckStore(dest, newKey, "date", job);
      dest.SetDate(newKey, v);
    }
  }
}

// Makes (or, in a dict level, finds) the level that receives a copied dict or
// array level; nullptr, with the failure noted, when dest's key holds a leaf
// or the level found is the moved level or lies below it.
plistDict* MakeTarget(plistDict& src, plistDict& dest, const fw::String& newKey, bool array,
                      CopyJob& job) {
  if (dest.isArray) {
    if (array) {
      dest.AppendArray();
    } else {
      dest.AppendDict();
    }
    return dest.index(dest.count() - 1);
  }
  const bool existed = dest.Exists(newKey);
  const bool leafThere = existed && !IsLevel(dest.GetType(newKey));
  if (array) {
    dest.AddArray(newKey);
    if (leafThere) job.Fail("Array exists: " + newKey + " already exists");
  } else {
    dest.AddChild(newKey);
    if (leafThere) job.Fail("Child exists: " + newKey + " already exists");
  }
  if (leafThere) return nullptr;
  plistDict* target = dest.child(newKey);
  // A level made here lies below dest, outside the moved level; a level that
  // was already there may be the moved level itself or lie below it.
  if (existed && IsWithin(target, job.sourceLevel)) {
    src.SetError(true, kWithinSource);
    job.Fail(kWithinSource);
    return nullptr;
  }
  return target;
}

// One level being copied: its entries go into target. The level's own cursor
// keeps the place, so a copy of any depth needs no stack frame per level.
struct Frame {
  plistDict* level;
  plistDict* target;
};

// Copies entry key of src into dest: under newKey in a dict level, as the
// next element in an array level; a dict or array level with everything
// below it, each entry as the level's own Move (key, target, false, "")
// would copy it.
void CopyEntry(plistDict& src, const fw::String& key, plistDict& dest, const fw::String& newKey,
               CopyJob& job) {
  const fw::String type = src.GetType(key);
  if (!IsCopyable(type)) return;
  if (!IsLevel(type)) {
    CopyLeaf(src, key, type, dest, newKey, job);
    return;
  }
  std::vector<Frame> stack;
  auto enter = [&](plistDict& from, const fw::String& k, const fw::String& t, plistDict& into,
                   const fw::String& intoKey) {
    plistDict* target = MakeTarget(from, into, intoKey, fw::TextEquals(t, "array"), job);
    if (target == nullptr) {
      job.Fail("");  // keeps the message noted by MakeTarget
      return;
    }
    plistDict* level = from.child(k);
    if (level == nullptr || level->count() == 0) return;
    level->MoveFirst();
    stack.push_back(Frame{level, target});
  };
  enter(src, key, type, dest, newKey);
  while (!stack.empty()) {
    const Frame f = stack.back();
    const fw::String k = f.level->CurrentKey();
    if (f.level->eof) {  // this level is done: go on in the one above
      stack.pop_back();
      if (!stack.empty()) stack.back().level->MoveNext();
      continue;
    }
    f.level->SetError(false, "");  // each entry's Move starts clear
    const fw::String t = f.level->GetType(k);
    if (IsLevel(t)) {
      const std::size_t depth = stack.size();
      enter(*f.level, k, t, *f.target, k);
      if (stack.size() > depth) continue;  // copy the level below first
    } else if (IsCopyable(t)) {
      CopyLeaf(*f.level, k, t, *f.target, k, job);
    }
    f.level->MoveNext();
  }
}

}  // namespace

fw::String plistDict::AbsolutePath() {
  BuildPath(parent, ":" + name);
  return *path;
}

void plistDict::BuildPath(plistDict* node, const fw::String& pathSoFar) {
  // Gathered bottom-up, joined top-down: the walk stops at the first level
  // named "root", or at the top of the chain when none is.
  std::vector<const fw::String*> names;
  bool rooted = false;
  for (plistDict* n = node; n != nullptr; n = n->parent) {
    if (fw::TextEquals(n->name, "root")) {
      rooted = true;
      break;
    }
    names.push_back(&n->name);
  }
  fw::String result = rooted ? ":root" : "";
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    result += ':';
    result += **it;
  }
  if (!path) path = std::make_unique<fw::String>();
  *path = result + pathSoFar;
}

void plistDict::Move(const fw::String& key, plistDict* dest, bool isMove,
                     const fw::String& newName) {
  SetError(false, "");
  if (dest == nullptr) {
    SetError(true, "Destination is nil");
    return;
  }
  if (!Exists(key)) {
    SetError(true, "Source does not exist.");
    return;
  }
  const fw::String type = GetType(key);
  const fw::String newKey = newName.empty() ? key : newName;
  CopyJob job;
  if (IsLevel(type)) {
    job.sourceLevel = child(key);
    if (IsWithin(dest, job.sourceLevel)) {
      SetError(true, kWithinSource);
      return;
    }
  }
  if (dest == this && !isArray && fw::TextEquals(newKey, key)) {
    SetError(true, kSameEntry);
    return;
  }
  if (!IsCopyable(type)) return;  // nothing is copied, the entry stays

  CopyEntry(*this, key, *dest, newKey, job);
  if (job.failed) {
    // Later steps may have cleared the failure, or recorded it in another
    // document: record it here as the outcome of the whole call.
    const plist* doc = Document();
    const bool standing =
        doc != nullptr && doc->error && fw::TextEquals(doc->errorMessage, job.failure);
    if (!job.failure.empty() && !standing) SetError(true, job.failure);
    return;  // the source stays where it is
  }
  if (isMove) Remove(fw::Variant(key));
}

void plistDict::Move(const fw::String& key, plistDict* dest) { Move(key, dest, true, ""); }

void plistDict::Copy(const fw::String& key, plistDict* dest) { Move(key, dest, false, ""); }

void plistDict::Rename(const fw::String& key, const fw::String& newName) {
  SetError(false, "");
  if (Exists(newName)) {
    SetError(true, "Key " + newName + " already exists.");
    return;
  }
  if (newName.empty()) {
    SetError(true, kEmptyName);
    return;
  }
  Move(key, this, true, newName);
}
