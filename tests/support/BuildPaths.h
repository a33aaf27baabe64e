// Where this build put its programs and where its sources are, so that a
// test program run by hand from the build folder finds them: the
// environment's TOBRIK_BIN_DIR or TOBRIK_SOURCE_DIR when set, else the
// folders of the build the test was compiled in (tests/CMakeLists.txt).
#pragma once

#include <cstdlib>
#include <string>

namespace testsupport {

inline std::string BinDir() {
  const char* dir = std::getenv("TOBRIK_BIN_DIR");
  return dir && *dir ? dir : TOBRIK_BUILD_BIN_DIR;
}

inline std::string SourceDir() {
  const char* dir = std::getenv("TOBRIK_SOURCE_DIR");
  return dir && *dir ? dir : TOBRIK_BUILD_SOURCE_DIR;
}

}  // namespace testsupport
