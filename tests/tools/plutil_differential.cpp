// plutil against plistlib on many files: every seed of the fuzz corpus and a
// generated set (plutil_oracle.py "generate": random but seeded trees of
// every type and edge, in both forms). Each file, converted to each form,
// is either refused (exit 1, one line, the file unchanged) or converted to
// what plistlib reads from the input; a binary output must read the same in
// libplist too. A file that the reference reader refuses has no agreed tree,
// so plutil must refuse it as well: whatever it wrote would be a guess. A
// generated file whose tree the target form can hold must not be refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "oracle/PlutilRun.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/CannotRun.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;

constexpr int kGeneratedPerForm = 150;

struct Source {
  std::string path;
  bool xmlHolds = false, binaryHolds = false;  // must convert exactly
};

struct Checked {
  std::string manifest;  // lines for the reference reader
  int converted = 0, refused = 0;
};

void ConvertBothWays(const Source& source, const testsupport::TempFolder& work, int& serial,
                     Checked& checked) {
  const std::string before = ReadFile(source.path);
  for (bool toXml : {true, false}) {
    const std::string n = std::to_string(serial++), file = work.File(n);
    fs::copy_file(source.path, file);
    const oracle::Run run = oracle::RunPlutil(toXml ? "xml1" : "binary1", file);
    if (run.status != 0) {
      ++checked.refused;
      EXPECT_TRUE(oracle::Refused(run, file, before)) << source.path;
      EXPECT_FALSE(toXml ? source.xmlHolds : source.binaryHolds)
          << source.path << " refused to " << (toXml ? "xml1" : "binary1") << ": " << run.err;
      continue;
    }
    ++checked.converted;
    EXPECT_EQ(run.err, "") << source.path;
    std::string dump = "-";
    if (!toXml) {
      dump = work.File(n + ".libplist");
      EXPECT_TRUE(oracle::DumpWithLibplist(file, dump)) << "libplist does not read " << file;
    }
    checked.manifest += source.path + "\t" + file + "\t" + dump + "\n";
  }
}

TEST(PlutilDifferential, CorpusAndGeneratedFilesConvertExactlyOrAreRefused) {
  testsupport::TempFolder generated, work;
  oracle::Oracle made = oracle::RunOracle(
      {"generate", generated.Path(), "tobrik", std::to_string(kGeneratedPerForm)});
  if (!made.problem.empty()) CANNOT_RUN_HERE(made.problem);
  ASSERT_EQ(made.run.status, 0) << made.run.err;

  std::vector<Source> sources;
  std::istringstream lines(made.run.out);
  for (std::string name, xml, bin; lines >> name >> xml >> bin;)
    sources.push_back({generated.File(name), xml == "1", bin == "1"});
  ASSERT_EQ(sources.size(), 2u * kGeneratedPerForm);
  for (const char* folder : {"fuzz/corpus/plutil", "fuzz/corpus/load"})
    for (const auto& entry : fs::directory_iterator(testsupport::SourceDir() + "/" + folder))
      sources.push_back({entry.path().string()});

  Checked checked;
  int serial = 0;
  for (const Source& source : sources) ConvertBothWays(source, work, serial, checked);
  const std::string manifest = work.File("manifest");
  testsupport::WriteFile(manifest, checked.manifest);
  const oracle::Oracle result = oracle::RunOracle({"check", manifest});
  EXPECT_EQ(result.run.status, 0) << result.run.out << result.run.err;
  // Most generated files must convert; a suite that refuses all proves nothing.
  EXPECT_GT(checked.converted, 3 * kGeneratedPerForm);
  std::cout << checked.converted << " conversions checked, " << checked.refused << " refused\n";
}

}  // namespace
