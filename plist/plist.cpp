// The document bound to a file: loading (XML directly, binary through a
// converted temporary copy), saving, the temporary copy and the dump.
#include <fcntl.h>
#include <unistd.h>

#include "framework/core/Clipboard.h"
#include "framework/core/Shell.h"
#include "framework/core/TextInputStream.h"
#include "framework/core/TextOutputStream.h"
#include "plist/plist.h"
#include "plist/plistHeader.h"

namespace {

const char kNotAPlist[] = "Not a plist file";
const char kCannotSave[] = "Could not open file for saving";
const char kRootLine[] = "<dict>";
const char kEmptyRootLine[] = "<dict/>";

// The four lines before the tree of a new document.
const char* const kNewHeaders[] = {
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
    "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">",
    "<plist version=\"1.0\">",
    kRootLine,
};

// Whether every line is empty.
bool HoldsNoText(const std::vector<fw::String>& lines) {
  for (const fw::String& line : lines)
    if (!line.empty()) return false;
  return true;
}

// Whether the file at item can be read and holds nothing but line ends. A
// file that cannot be opened (no permission, a link to nowhere, a folder, a
// FIFO, a device) holds what cannot be known.
bool FileHoldsNoText(const fw::FolderItem& item) {
  auto in = item.OpenAsTextFile();
  if (!in) return false;
  while (!in->Eof())
    if (!in->ReadLine().empty()) return false;
  return true;
}

// Whether Save may put a new file at item: nothing is there yet, or it is a
// regular file (or a link to one) that may be written. A read-only file, a
// link to nowhere and anything that is not a regular file stay as they are.
bool MayReplace(const fw::FolderItem& item) { return !item.Exists() || item.IsWriteableFile(); }

bool BeginsWithBplist(const fw::String& line) { return line.compare(0, 6, "bplist") == 0; }

bool IsRootLine(const fw::String& line) { return line == kRootLine || line == kEmptyRootLine; }

// True when the file at item begins with the binary form's "bplist" mark.
bool IsBinaryFile(const fw::FolderItem& item) {
  int fd = open(item.AbsolutePath().c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char mark[6];
  ssize_t n = read(fd, mark, sizeof mark);
  close(fd);
  return n == 6 && fw::String(mark, 6) == "bplist";
}

int RunCommand(const fw::String& command) {
  fw::Shell shell;
  shell.Execute(command);
  return shell.ErrorCode();
}

}  // namespace

plist::plist() { MakeEmptyRoot(); }

plist::plist(const fw::FolderItem& file, const fw::FolderItem& fallback) : plist() {
  Load(file, fallback);
}

plist::plist(const fw::FolderItem& file) : plist(file, file) {}

void plist::Load(const fw::FolderItem& file, const fw::FolderItem& fallback) {
  StartAfresh();
  savePath = file;
  const fw::FolderItem& source = file.Exists() ? file : fallback;
  if (source.Exists()) {
    LoadSource(source);
    // What the load could not read, Save must not replace: only a file that
    // held no text at all becomes a new document.
    keepFile_ = notAPlist_ && !FileHoldsNoText(source);
    return;
  }
  error = true;
  errorMessage = source.AbsolutePath() + " does not exist";
  UseNewHeaders();
  root->Load(nullptr, "root", false, nullptr, this, false);
}

// Every load starts as the first one on a new document does: nothing of an
// earlier load is kept (its header lines, binary source, error state, or a
// search hit in the tree it read), and the temporary copy of an earlier
// binary source is deleted, since no later Cleanup() names it.
void plist::StartAfresh() {
  Cleanup();
  root = std::make_unique<plistDict>();
  headers.clear();
  isBinary = false;
  org.reset();
  error = false;
  errorMessage.clear();
  foundDict = nullptr;
  foundKey.clear();
  foundValue.clear();
  foundType.clear();
  lastSearch.clear();
  notAPlist_ = false;
  keepFile_ = false;
}

void plist::MakeEmptyRoot() {
  root = std::make_unique<plistDict>();
  root->name = "root";
  root->rootClass = this;
}

void plist::UseNewHeaders() {
  for (const char* line : kNewHeaders) headers.emplace_back(line);
}

void plist::LoadSource(const fw::FolderItem& source) {
  auto in = source.OpenAsTextFile();
  if (!in) return NotAPlist();
  fw::String line = in->ReadLine();
  if (BeginsWithBplist(line)) {
    in->Close();
    in = OpenBinarySource(source);
  } else {
    in->Close();
    in = source.OpenAsTextFile();
  }
  if (!in) return NotAPlist();
  while (!in->Eof() && !IsRootLine(line)) {
    line = in->ReadLine();
    headers.push_back(line);
  }
  if (!IsRootLine(line)) {
    // A text file without any text holds nothing to keep: it takes the header
    // lines of a new document, so that its first save makes a readable file
    // instead of entries without a header that no later load accepts.
    if (!isBinary && HoldsNoText(headers)) {
      headers.clear();
      UseNewHeaders();
    }
    return NotAPlist();
  }
  if (headers.empty() || !plistHeaderIsReadable(headers)) return NotAPlist();
  // An empty root "<dict/>" is kept as the opening line "<dict>", which the
  // save follows with the entries and the closing "</dict>".
  const bool emptyRoot = line == kEmptyRootLine;
  if (emptyRoot) headers.back() = kRootLine;
  root->Load(nullptr, "root", false, nullptr, this, false);
  root->ReadLevel(*in, !emptyRoot);
  if (notAPlist_) root = std::make_unique<plistDict>();  // the blank root of a refused load
}

// Makes the " temp" copy beside source, converts it to XML and opens it; null
// when the copy cannot be made or plutil refuses the conversion (a value the
// XML form cannot hold), so the load ends as "Not a plist file".
std::unique_ptr<fw::TextInputStream> plist::OpenBinarySource(const fw::FolderItem& source) {
  isBinary = true;
  org = source;
  auto folder = source.Parent();
  auto copy = folder ? folder->Child(source.Name() + " temp") : std::nullopt;
  if (!copy) return nullptr;
  savePath = *copy;
  if (copy->Exists()) copy->Delete();
  if (!source.CopyFileTo(*copy)) return nullptr;
  if (RunCommand("plutil -convert xml1 " + copy->ShellPath()) != 0) return nullptr;
  return copy->OpenAsTextFile();
}

void plist::NotAPlist() {
  error = true;
  errorMessage = kNotAPlist;
  notAPlist_ = true;
}

void plist::Save() { Save(false); }

void plist::Save(bool cleanup) {
  if (!MaySave() || !WriteFile() || (isBinary && !ReplaceBinarySource())) {
    error = true;
    errorMessage = kCannotSave;
  }
  if (cleanup) Cleanup();
}

// A save never makes a file unreadable or loses what the load did not read:
// it writes nothing after a load that could not read the file, and nothing
// over a file it may not replace.
bool plist::MaySave() const {
  if (keepFile_ || !savePath || !MayReplace(*savePath)) return false;
  return !isBinary || (org && MayReplace(*org));
}

// The tree goes into the temporary file of the atomic save; when it nests
// deeper than the reader follows, the writer stops and the temporary file is
// dropped, so what is saved always reads back whole.
bool plist::WriteFile() {
  auto out = savePath->CreateTextFile();
  if (!out) return false;
  for (const fw::String& line : headers) out->WriteLine(line);
  if (!root->Write(*out, 1, plistDict::kMaxDepth)) {
    out->Discard();
    return false;
  }
  out->WriteLine("</dict>");
  out->WriteLine("</plist>");
  return out->Close();
}

// Converts the written copy to the binary form and puts it in place of the
// source in one rename; the source is left alone when anything fails.
bool plist::ReplaceBinarySource() {
  if (!org) return false;
  if (RunCommand("plutil -convert binary1 " + savePath->ShellPath()) != 0) return false;
  if (!IsBinaryFile(*savePath)) return false;
  return savePath->CopyFileTo(*org);
}

void plist::Cleanup() {
  if (isBinary && savePath) savePath->Delete();
}

void plist::Dump() {
  fw::String text;
  for (const fw::String& line : headers) text += line + "\r";
  fw::Clipboard first;
  first.SetText("");
  first.SetText(text);
  first.Close();
  root->Dump(1);
  fw::Clipboard last;
  last.SetText(last.Text() + "</dict>\r</plist>\r");
  last.Close();
}
