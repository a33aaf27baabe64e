// The paths that a save must leave exactly as they were, for the document's
// tests and the settings' tests alike: files the load cannot read (text that
// is not a property list, links to nowhere, FIFOs, folders, a file that may
// not be read) and property lists that may not be replaced.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/support/TempFolder.h"

namespace testsupport {

// Every path here stays inside the test's own folder: a link to a system
// file (a device such as /dev/null) would let a faulty save replace it.
struct KeptPath {
  const char* name;
  // Makes what stands at path, in folder; plistText is a readable property
  // list for the cases that need one.
  void (*make)(const std::string& folder, const std::string& path, const std::string& plistText);
  bool loads;        // the load reads the property list; else "Not a plist file"
  bool denyOpening;  // the file is to be made unreadable with DenyOpening (PathState.h)
};

inline const KeptPath kKeptPaths[] = {
    {"text that is not a property list",
     [](const std::string&, const std::string& path, const std::string&) {
       WriteFile(path, "one\ntwo\n");
     },
     false, false},
    {"header lines without a root line",
     [](const std::string&, const std::string& path, const std::string&) {
       WriteFile(path,
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n</plist>\n");
     },
     false, false},
    {"blank lines and one line of blanks",
     [](const std::string&, const std::string& path, const std::string&) {
       WriteFile(path, "\n\n  \n");
     },
     false, false},
    {"a link to nowhere",
     [](const std::string&, const std::string& path, const std::string&) {
       symlink("nowhere", path.c_str());
     },
     false, false},
    {"a FIFO",
     [](const std::string&, const std::string& path, const std::string&) {
       mkfifo(path.c_str(), 0644);
     },
     false, false},
    {"a folder",
     [](const std::string&, const std::string& path, const std::string&) {
       std::filesystem::create_directory(path);
       WriteFile(path + "/inside", "x");
     },
     false, false},
    {"a link to a folder",
     [](const std::string& folder, const std::string& path, const std::string&) {
       std::filesystem::create_directory(folder + "/sub");
       symlink("sub", path.c_str());
     },
     false, false},
    {"a link to a FIFO",
     [](const std::string& folder, const std::string& path, const std::string&) {
       mkfifo((folder + "/fifo").c_str(), 0644);
       symlink("fifo", path.c_str());
     },
     false, false},
    {"a property list that cannot be read",
     [](const std::string&, const std::string& path, const std::string& plistText) {
       WriteFile(path, plistText);
       chmod(path.c_str(), 0200);  // write bit only: not read-only, but unreadable
     },
     false, true},
    {"a read-only property list",
     [](const std::string&, const std::string& path, const std::string& plistText) {
       WriteFile(path, plistText);
       chmod(path.c_str(), 0444);
     },
     true, false},
    {"a link to a read-only property list",
     [](const std::string& folder, const std::string& path, const std::string& plistText) {
       WriteFile(folder + "/real", plistText);
       chmod((folder + "/real").c_str(), 0444);
       symlink("real", path.c_str());
     },
     true, false},
};

}  // namespace testsupport
