// Hostile and unusual files, one row each: plutil either converts the file
// exactly (plistlib, and libplist for a binary output, read from the output
// the tree plistlib reads from the input) or refuses it (exit 1, one line on
// standard error, the file byte for byte as it was). The files are made by
// plutil_oracle.py ("cases"); plutil runs as a process and in memory.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "oracle/PlutilRun.h"
#include "plutil/Convert.h"
#include "tests/support/BuildPaths.h"
#include "tests/support/CannotRun.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;

enum class Outcome { Exact, Refused };
constexpr auto Exact = Outcome::Exact;
constexpr auto Refused = Outcome::Refused;

struct Row {
  const char* file;  // a case of plutil_oracle.py
  Outcome toXml, toBinary;
};

const Row kRows[] = {
    // A malformed processing instruction before and after the root once let
    // the structure check and libplist read different trees.
    {"MalformedPiAroundIntegers", Refused, Refused},
    {"IntegerWithLeadingZero", Exact, Exact},  // was read as octal
    {"IntegerPast64Bits", Refused, Refused},   // was cut to 2^64-1
    {"IntegerWithLetters", Refused, Refused},  // was read as 12
    {"MalformedPiAndDateAfterTheRoot", Refused, Refused},
    {"SecondValueInsidePlist", Refused, Refused},  // its date replaced the root's
    {"ElementAfterPlist", Refused, Refused},
    {"MalformedPiAroundDeepArrays", Refused, Refused},  // skipped the depth bound
    {"DeepXmlArrays", Refused, Refused},                // 200,000 levels
    {"DeepBinaryArrays", Refused, Refused},
    {"XmlArrays512Deep", Exact, Exact},
    {"BinaryArrays512Deep", Exact, Exact},
    {"SingleQuotedAttributes", Exact, Exact},  // was key "'>k", real 0, integer 0
    {"CdataCommentsAndPis", Exact, Exact},
    {"CrLfInXmlText", Exact, Exact},
    {"EntityDeclaration", Refused, Refused},
    {"DoctypeWithInternalSubset", Refused, Refused},
    {"UnknownElement", Refused, Refused},
    {"StoreDoubleElement", Exact, Exact},
    // A lone surrogate in UTF-16 was dropped.
    {"LoneHighSurrogateInAString", Refused, Refused},
    {"LoneLowSurrogateInAKey", Refused, Refused},
    // 1 MiB of data under 1,000 references was written out 1,000 times.
    {"SharedDataManyTimes", Refused, Exact},
    // Real texts were read up to the first bad character, or as +inf.
    {"RealWithLetters", Refused, Refused},
    {"RealInHex", Refused, Refused},
    {"RealWithComma", Refused, Refused},
    {"RealEmpty", Refused, Refused},
    {"RealOverflow", Refused, Refused},
    {"RealTexts", Exact, Exact},
    {"XmlNan", Exact, Exact},
    // Characters XML 1.0 cannot carry were written raw.
    {"ControlInAString", Refused, Exact},
    {"ControlInAKey", Refused, Exact},
    {"EscapeCharacter", Refused, Exact},
    {"NonCharacterFFFE", Refused, Exact},
    {"NonCharacterFFFF", Refused, Exact},
    {"TabLfCrInBinary", Exact, Exact},
    // A dict of the one key CF$UID became a UID; NaNs became one NaN.
    {"BinaryCfUidDict", Refused, Exact},
    {"BinaryUid", Exact, Exact},
    {"XmlCfUidDict", Exact, Exact},
    {"NanWithPayload", Refused, Exact},
    {"NegativeNan", Refused, Exact},
    {"SignalingNan", Refused, Exact},
    {"CanonicalNan", Exact, Exact},
    {"NegativeZero", Exact, Exact},
    // A character reference inside base64 was decoded as base64 text.
    {"DataWithCharacterReferences", Exact, Exact},
    {"DataNotBase64", Refused, Refused},
    // Once quadratic (their speed is measured in bench/bench_plutil.cpp).
    {"BinaryArrayOfManyItems", Exact, Exact},
    {"XmlArrayOfManyItems", Exact, Exact},
    {"XmlManyRawLineBreaks", Exact, Exact},
    {"XmlManyLineBreakReferences", Exact, Exact},
    {"BinaryManyLineBreaks", Exact, Exact},
    // 16 million object numbers on one object: memory once grew to 223 MB.
    {"TrailerClaimsManyObjects", Exact, Exact},
    {"TrailerClaimsMoreThanTheFileHolds", Refused, Refused},
    // 300 object numbers on one 1 MiB data object were read as 300 copies:
    // 300 MiB of binary output; 1 GB of memory before XML was refused.
    {"AliasedObjectNumbers", Refused, Exact},
    // 700 numbers on one array of 700 items: 490,000 items in binary.
    {"AliasedArraysOfArrays", Exact, Exact},
    // Offsets that name no object were read as the bytes there ("false"
    // from the offset table, "true" from the trailer).
    {"ObjectOffsetIntoTheHeader", Refused, Refused},
    {"ObjectOffsetIntoTheOffsetTable", Refused, Refused},
    {"ObjectOffsetIntoTheTrailer", Refused, Refused},
    {"ObjectOffsetPastTheEnd", Refused, Refused},
    // The depth bound where the depth is reached through a shared subtree.
    {"SharedSubtree4096Levels", Exact, Exact},
    {"SharedSubtree4097Levels", Refused, Refused},
    // Data objects laid over one another: their tree grew with the square
    // of the file's size.
    {"OverlappingDataPastTheBound", Refused, Refused},
    // The first of two values under one key was dropped.
    {"XmlRepeatedKey", Refused, Refused},
    // XML cannot hold the sign: binary, XML and binary again gave +0.0.
    {"NegativeZeroDate", Refused, Exact},
};

struct Case {
  Row row;
  bool toXml;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.row.file << (c.toXml ? " to xml1" : " to binary1");
}

// The case files, made once for the whole program.
struct Cases {
  testsupport::TempFolder folder;
  std::string problem;
  std::set<std::string> names;
  Cases() {
    oracle::Oracle made = oracle::RunOracle({"cases", folder.Path()});
    problem = made.problem;
    if (problem.empty() && made.run.status != 0)
      problem = "making the cases failed: " + made.run.err;
    std::istringstream lines(made.run.out);
    for (std::string name; std::getline(lines, name);) names.insert(name);
  }
};

const Cases& Files() {
  static const Cases cases;
  return cases;
}

// plutil::Convert in a child process, whose memory is bounded like the
// tool's: ok, then the output or the reason.
plutil::ConvertResult ConvertInChild(const std::string& bytes, plutil::Format to) {
  testsupport::TempFolder folder;
  const std::string result = folder.File("result");
  pid_t pid = ::fork();
  if (pid == 0) {
#ifndef TOBRIK_SANITIZED
    rlimit memory{rlim_t{6} << 30, rlim_t{6} << 30};
    ::setrlimit(RLIMIT_AS, &memory);
#endif
    plutil::ConvertResult r = plutil::Convert(bytes, to);
    std::ofstream out(result, std::ios::binary);
    out << (r.ok ? 'y' : 'n') << (r.ok ? r.output : r.error);
    out.close();
    ::_exit(out ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  const std::string text = ReadFile(result);
  plutil::ConvertResult r;
  r.ok = !text.empty() && text[0] == 'y';
  r.error = r.ok || text.empty() ? "the conversion did not finish" : text.substr(1);
  if (r.ok) r.output = text.substr(1);
  return r;
}

class PlutilCaseTable : public testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    if (!Files().problem.empty()) CANNOT_RUN_HERE(Files().problem);
  }
  testsupport::TempFolder dir_;
};

TEST_P(PlutilCaseTable, ExactOrRefused) {
  const Case& c = GetParam();
  const fs::path source = fs::path(Files().folder.Path()) / c.row.file;
  ASSERT_TRUE(Files().names.count(c.row.file)) << "plutil_oracle.py has no such case";
  const std::string file = dir_.File("case.plist"), before = ReadFile(source);
  fs::copy_file(source, file);
  const oracle::Run run = oracle::RunPlutil(c.toXml ? "xml1" : "binary1", file);
  const std::string after = ReadFile(file);
  // The conversion in memory is this build's own; another build's tool
  // (TOBRIK_BIN_DIR) is checked as a process only.
  // It runs only when the tool's outcome is the row's (a fault found once is
  // enough, and the faults this table guards against were slow).
  const Outcome expected = c.toXml ? c.row.toXml : c.row.toBinary;
  const bool ownTool =
      testsupport::BinDir() == TOBRIK_BUILD_BIN_DIR && (run.status == 0) == (expected == Exact);
  plutil::ConvertResult inMemory;
  if (ownTool)
    inMemory = ConvertInChild(before, c.toXml ? plutil::Format::Xml1 : plutil::Format::Binary1);
  EXPECT_TRUE(oracle::MemoryBounded(run, before.size(), after.size()));
  if (expected == Refused) {
    EXPECT_TRUE(oracle::Refused(run, file, before));
    EXPECT_FALSE(ownTool && inMemory.ok) << "converted in memory";
    return;
  }
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(after.compare(0, 8, "bplist00") == 0, !c.toXml);
  if (ownTool) {
    EXPECT_TRUE(inMemory.ok) << inMemory.error;
    EXPECT_TRUE(inMemory.output == after) << "the tool and Convert write different bytes";
  }
  std::string dump = "-";
  if (!c.toXml) {
    dump = dir_.File("libplist");
    EXPECT_TRUE(oracle::DumpWithLibplist(file, dump)) << "libplist does not read the output";
  }
  const std::string manifest = dir_.File("manifest");
  testsupport::WriteFile(manifest, source.string() + "\t" + file + "\t" + dump + "\n");
  const oracle::Oracle checked = oracle::RunOracle({"check", manifest});
  EXPECT_EQ(checked.run.status, 0) << checked.run.out << checked.run.err;
}

// An object under many references, or under many object numbers, stays one
// object in the binary form.
TEST_F(PlutilCaseTable, SharedDataStaysShared) {
  for (const char* name :
       {"SharedDataManyTimes", "AliasedObjectNumbers", "AliasedArraysOfArrays"}) {
    const fs::path source = fs::path(Files().folder.Path()) / name;
    const std::string file = dir_.File(std::string(name) + ".plist");
    fs::copy_file(source, file);
    ASSERT_EQ(oracle::RunPlutil("binary1", file).status, 0) << name;
    EXPECT_LE(fs::file_size(file), 2 * fs::file_size(source)) << name;
  }
}

std::vector<Case> AllCases() {
  std::vector<Case> all;
  for (const Row& row : kRows) {
    all.push_back({row, true});
    all.push_back({row, false});
  }
  return all;
}

INSTANTIATE_TEST_SUITE_P(Cases, PlutilCaseTable, testing::ValuesIn(AllCases()),
                         [](const auto& info) {
                           return std::string(info.param.row.file) +
                                  (info.param.toXml ? "ToXml" : "ToBinary");
                         });

// Every case plutil_oracle.py makes has its row.
TEST(PlutilCaseTableRows, CoverEveryCase) {
  if (!Files().problem.empty()) CANNOT_RUN_HERE(Files().problem);
  std::set<std::string> rows;
  for (const Row& row : kRows) rows.insert(row.file);
  EXPECT_EQ(rows, Files().names);
}

}  // namespace
