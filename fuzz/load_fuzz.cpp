// The document's load, save and dump on arbitrary bytes, and the round trip
// of arbitrary texts through the writer and the reader.
//
// First, the input is a file. Loading, saving, dumping and releasing it must
// not crash, leak or hang, whatever it holds; a second load of it into the
// same document must end as the first did (nothing of the first is kept);
// and a file holding text that did not load must come out of the save byte
// for byte as it was. The conversion command of a binary file is replaced by
// one that fails, so no process is started.
// Then the input is also read as a recipe for a tree (keys and values of
// any bytes, every type, nested levels). Saved and loaded again, the tree
// must be exactly the same.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "framework/core/Clipboard.h"
#include "framework/core/FolderItem.h"
#include "framework/core/ScopedHook.h"
#include "framework/core/Shell.h"
#include "plist/plist.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    std::string pattern = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
    pattern += "/tobrik-fuzz-XXXXXX";
    return std::string(mkdtemp(pattern.data()));
  }();
  return folder;
}

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "load fuzz: %s\n", what);
  std::abort();
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Describe(plistDict& level, std::string& out);

// A document that tells how its last load ended.
class Document : public plist {
 public:
  using plist::plist;
  // The error state, the header lines and the tree.
  std::string Outcome() {
    std::string out = (error ? "error: " : "") + errorMessage + '\x03';
    for (const fw::String& line : headers) out += line + '\x03';
    Describe(*root, out);
    return out;
  }
};

void LoadSaveDump(std::string_view bytes) {
  const std::string path = Folder() + "/in.plist";
  WriteBytes(path, bytes);
  Document doc{fw::FolderItem(path)};
  Require(doc.root != nullptr, "no root after a load");
  const std::string first = doc.Outcome();
  doc.Load(fw::FolderItem(path), fw::FolderItem(path));
  Require(doc.Outcome() == first, "a second load ended otherwise than the first");
  const bool keep = doc.errorMessage == "Not a plist file" &&
                    bytes.find_first_not_of("\r\n") != std::string_view::npos;
  doc.Dump();
  doc.Save(true);
  Require(!keep || ReadBytes(path) == bytes, "a save changed a file that did not load");
  plist again{fw::FolderItem(path)};
  Require(again.root != nullptr, "no root after reloading a save");
  std::remove((path + " temp").c_str());
}

// Reads the input as a recipe: each step takes a byte for what to do and
// texts of the following bytes (length-prefixed).
class Recipe {
 public:
  explicit Recipe(std::string_view bytes) : bytes_(bytes) {}
  bool More() const { return pos_ < bytes_.size(); }
  std::uint8_t Byte() { return More() ? static_cast<std::uint8_t>(bytes_[pos_++]) : 0; }
  std::string Text() {
    size_t n = Byte() % 24;
    std::string t(bytes_.substr(pos_, n));
    pos_ += t.size();
    return t;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

// Data values stand on their own line; only their leading control
// characters would be lost there, so the recipe gives them none.
std::string DataText(std::string t) {
  while (!t.empty() && static_cast<unsigned char>(t[0]) < 32) t.erase(0, 1);
  return t;
}

void Build(plistDict& level, Recipe& r, int depth) {
  while (r.More()) {
    const std::uint8_t op = r.Byte();
    const bool array = level.isArray;
    const std::string key = array ? std::string() : r.Text();
    switch (op % 10) {
      case 0:
        array ? level.AppendString(r.Text()) : level.SetString(key, r.Text());
        break;
      case 1:
        array ? level.AppendInteger(r.Byte() - 128) : level.SetInteger(key, r.Byte());
        break;
      case 2:
        array ? level.AppendDouble(r.Byte() / 8.0) : level.SetReal(key, r.Byte() / 4.0);
        break;
      case 3:
        array ? level.AppendBoolean(r.Byte() & 1) : level.SetBoolean(key, r.Byte() & 1);
        break;
      case 4:
        array ? level.AppendData(DataText(r.Text())) : level.SetData(key, DataText(r.Text()));
        break;
      case 5:
      case 6:
        if (depth >= 8) break;
        if (array) {
          op % 10 == 5 ? level.AppendDict() : level.AppendArray();
          Build(*level.index(level.indexOf), r, depth + 1);
        } else if (!level.Exists(key)) {
          op % 10 == 5 ? level.AddChild(key) : static_cast<void>(level.AddArray(key));
          Build(*level.child(key), r, depth + 1);
        }
        break;
      case 7:
        if (depth > 0) return;  // back to the level above
        break;
      default: {
        const std::string text = r.Text();
        if (!array) {
          level.types.SetValue(key, "date");
          level.values.SetValue(key, text);
        }
      }
    }
  }
}

void Describe(plistDict& level, std::string& out) {
  for (std::int32_t i = 0; i < level.count(); ++i) {
    const std::string& key = level.types.Key(i);
    const std::string& type = level.types.Value(key);
    out += key + '\x01' + type + '\x01';
    if (type == "dict" || type == "array") {
      out += '{';
      Describe(*level.child(key), out);
      out += '}';
    } else {
      out += level.values.Value(key);
    }
    out += '\x02';
  }
}

void RoundTrip(std::string_view bytes) {
  const std::string path = Folder() + "/tree.plist";
  std::remove(path.c_str());
  std::string before, after;
  {
    plist doc{fw::FolderItem(path)};
    Recipe recipe(bytes);
    Build(*doc.root, recipe, 0);
    Describe(*doc.root, before);
    doc.Save();
  }
  plist back{fw::FolderItem(path)};
  Require(!back.error, "our own file did not load");
  Describe(*back.root, after);
  Require(before == after, "a saved tree reads back as another tree");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fw::ScopedHook<fw::SetShellHook> noCommands(
      [](const fw::String&, fw::String&) { return 1; });
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  LoadSaveDump(bytes);
  fw::Clipboard().SetText("");
  RoundTrip(bytes);
  return 0;
}
