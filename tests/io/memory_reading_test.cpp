#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/run_observer.h"
#include "io/calculated_file.h"
#include "io/point_reader.h"
#include "io/trace_subset_reader.h"
#include "support/paths.h"
#include "support/temp_dir.h"

namespace zelvo {
namespace {

using testing::TempDir;

// Every message with the file it names, so that both readings can be compared
// word for word.
class RecordingObserver : public RunObserver {
 public:
  void ShowMessage(std::string_view text) override { said.emplace_back(text); }
  void ShowFileFailure(std::string_view message, const std::string& fileName, int) override {
    said.push_back(std::string(message) + " | " + fileName);
  }
  bool Ask(std::string_view, std::string_view) override { return true; }
  void ProcessMessages() override {}
  void SetProgressRange(int, int) override {}
  void SetProgressPosition(int) override {}
  void ShowHourglass() override {}
  void RestoreCursor() override {}
  std::string NumberToText(double value) const override { return std::to_string(value); }
  std::vector<std::string> said;
};

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * 8) == 0);
}

bool SameBits(const ResultTable& a, const ResultTable& b) {
  for (int c = 0; c < kResultColumns; ++c) {
    if (!SameBits(a.column[c], b.column[c])) return false;
  }
  return a.recorded == b.recorded;
}

bool SameBits(const PointSet& a, const PointSet& b) {
  return SameBits(a.table.x, b.table.x) && SameBits(a.table.y, b.table.y) &&
         SameBits(a.table.point, b.table.point) && SameBits(a.table.quantity, b.table.quantity) &&
         a.table.traced == b.table.traced && a.linesSkipped == b.linesSkipped &&
         std::memcmp(&a.extent, &b.extent, sizeof a.extent) == 0 &&
         std::memcmp(&a.shift, &b.shift, sizeof a.shift) == 0 &&
         std::memcmp(&a.centre, &b.centre, sizeof a.centre) == 0;
}

const std::vector<std::string>& PointTexts() {
  static const std::vector<std::string> texts = {
      "",
      "\xEF\xBB\xBF",
      "\xEF\xBB",
      "\xEF\xBB\xBF" "1 2 3 4",
      "\"x\" \"y\" \"p\" \"q\"\n-50 10 1 5\r\n150 -20 2 7\n0 30 3 -1\nLine 2\n",
      "1,5 2,5 3 4\n2,5 3,5 4 5\n",
      "/ only comments\nx y z\n",
      std::string("1 2 3 4\0 5\n7 8 9 1\r3 4 5 6\n", 26),
      "1 2 3 4\n" + std::string(200000, ' ') + "5 6 7 8",
  };
  return texts;
}

TEST(MemoryReading, PointFileGivesTheTablesAndMessagesOfTheFile) {
  TempDir dir;
  for (const std::string& text : PointTexts()) {
    for (char separator : {'.', ','}) {
      const std::string path = dir.Write("in.dat", text);
      RecordingObserver fromFile, fromMemory;
      PointSet filePoints, memoryPoints;
      ResultTable fileRows, memoryRows;
      const int fileResult = ReadPointFile(path, {}, separator, fromFile, filePoints, fileRows);
      const int memoryResult = ReadPointFileFromMemory(text, path, {}, separator, fromMemory,
                                                       memoryPoints, memoryRows);
      EXPECT_EQ(fileResult, memoryResult) << text;
      EXPECT_EQ(fromFile.said, fromMemory.said) << text;
      EXPECT_TRUE(SameBits(filePoints, memoryPoints)) << text;
      EXPECT_TRUE(SameBits(fileRows, memoryRows)) << text;
    }
  }
}

// More lines than one block of two or three threads, each block's cut
// falling wherever it may: comments, blank and CRLF lines, a line of spaces
// longer than a block, signed zeros and equal values at the extremes, and no
// LF after the last line.
std::string LinesOverSeveralBlocks() {
  std::string text = "\"x\" \"y\" \"p\" \"q\"\n-0 0 1 -0\n0 -0 2 0\n";
  for (int k = 0; k < 400000; ++k) {
    const int x = k % 1999 - 999, y = k / 1999 - 100;
    text += std::to_string(x) + "." + std::to_string(k % 7) + " " + std::to_string(y) + " " +
            std::to_string(k) + " " + std::to_string((k * 37) % 101 - 50) + (k % 5 ? "\n" : "\r\n");
    if (k % 9973 == 0) text += "/ a comment\n\n";
    if (k == 250000) text += std::string(5 << 20, ' ') + "\n";
  }
  return text + "-999 300 -1 50";
}

TEST(MemoryReading, ThreadsGiveTheTablesAndMessagesOfOneThread) {
  TempDir dir;
  std::vector<std::string> texts = PointTexts();
  texts.push_back(LinesOverSeveralBlocks());
  for (const std::string& text : texts) {
    const std::string path = dir.Write("in.dat", text);
    RecordingObserver alone;
    PointSet onePoints;
    ResultTable oneRows;
    const int oneResult = ReadPointFile(path, {}, '.', alone, onePoints, oneRows);
    if (&text == &texts.back()) {
      ASSERT_EQ(oneResult, 0) << alone.said.front();
      EXPECT_EQ(onePoints.table.Size(), 400003);
      EXPECT_EQ(onePoints.linesSkipped, 1 + 2 * 41 + 1);
    }
    for (int threads : {2, 3}) {
      RecordingObserver fromFile, fromMemory;
      PointSet filePoints, memoryPoints;
      ResultTable fileRows, memoryRows;
      EXPECT_EQ(ReadPointFile(path, {}, '.', fromFile, filePoints, fileRows, [] {}, threads),
                oneResult);
      EXPECT_EQ(ReadPointFileFromMemory(text, path, {}, '.', fromMemory, memoryPoints, memoryRows,
                                        [] {}, threads),
                oneResult);
      for (const auto* observer : {&fromFile, &fromMemory}) EXPECT_EQ(observer->said, alone.said);
      EXPECT_TRUE(SameBits(filePoints, onePoints) && SameBits(memoryPoints, onePoints))
          << threads << " threads, " << text.size() << " bytes";
      EXPECT_TRUE(SameBits(fileRows, oneRows) && SameBits(memoryRows, oneRows));
    }
  }
}

TEST(MemoryReading, FileChangedBetweenThePassesIsRefusedOnThreads) {
  TempDir dir;
  const std::string text = LinesOverSeveralBlocks();
  for (const std::string& rewritten : {text + "\n1 2 3 4\n", text + "\n1 2 3 4000\n",
                                       text.substr(0, text.size() / 2)}) {
    const std::string path = dir.Write("in.dat", text);
    RecordingObserver observer;
    PointSet points;
    ResultTable rows;
    EXPECT_EQ(ReadPointFile(path, {}, '.', observer, points, rows,
                            [&] { dir.Write("in.dat", rewritten); }, 2),
              1);
    EXPECT_EQ(observer.said, std::vector<std::string>{kInputChangedMessage});
    EXPECT_EQ(points.table.Size(), 0);
    EXPECT_EQ(rows.Size(), 0);
  }
}

TEST(MemoryReading, BytesChangedBetweenThePassesAreRefused) {
  std::string bytes = "-10 0 1 5\n10 20 2 6\n0 10 3 7\n";
  RecordingObserver observer;
  PointSet points;
  ResultTable rows;
  EXPECT_EQ(ReadPointFileFromMemory(bytes, "shown.dat", {}, '.', observer, points, rows,
                                    [&] { bytes[bytes.size() - 2] = '8'; }),
            1);
  EXPECT_EQ(observer.said, std::vector<std::string>{kInputChangedMessage});
  EXPECT_EQ(points.table.Size(), 0);
  EXPECT_EQ(rows.Size(), 0);
}

TEST(MemoryReading, TraceSubsetMarksTheRowsTheFileWould) {
  TempDir dir;
  const std::string points = "1 1 5 0\n2 2 17 0\n3 3 17 0\n4 4 18 0\n5 5 19 0\n";
  const std::string subset = "0 0 17 0\n0 0 18.0000005 0\r\n5\n0 0 19.000001 0";
  RecordingObserver observer;
  PointSet fromFile, fromMemory;
  ResultTable rows;
  ASSERT_EQ(ReadPointFileFromMemory(points, "in.dat", {}, '.', observer, fromFile, rows), 0);
  ASSERT_EQ(ReadPointFileFromMemory(points, "in.dat", {}, '.', observer, fromMemory, rows), 0);
  EXPECT_EQ(ReadTraceSubset(dir.Write("subset.dat", subset), {}, '.', observer, fromFile.table), 0);
  EXPECT_EQ(ReadTraceSubsetFromMemory(subset, "subset.dat", {}, '.', observer, fromMemory.table),
            0);
  EXPECT_EQ(fromMemory.table.traced, (std::vector<std::uint8_t>{0, 1, 0, 1, 0}));
  EXPECT_EQ(fromFile.table.traced, fromMemory.table.traced);
  EXPECT_TRUE(observer.said.empty());
}

TEST(MemoryReading, CalculatedFileGivesTheRowsAndMessagesOfTheFile) {
  TempDir dir;
  const std::string header = "/Map: m Radius: 350 Iter: 1 Object: q\n";
  const std::string record = "1 2 3 4 5 6 7 8 9 10\n";
  int filesLoaded = 0;
  for (const std::string& text :
       {header + record + "x\n" + record + "2 2 3 4 5 6 7 8 9 10", header, std::string(""),
        std::string("/Map: m Radius: -1 Iter: 1 Object: q\n") + record,
        "\xEF\xBB\xBF" + header + record, header + "1 2 3 4 5 6 7 8 9\n"}) {
    const std::string path = dir.Write("result.dat", text);
    RecordingObserver fromFile, fromMemory;
    CalculatedFile fileHeader, memoryHeader;
    EXPECT_EQ(ReadCalculatedHeader(path, fromFile, fileHeader),
              ReadCalculatedHeaderFromMemory(text, path, fromMemory, memoryHeader))
        << text;
    EXPECT_EQ(fileHeader.header.radiusText, memoryHeader.header.radiusText);
    EXPECT_EQ(fileHeader.header.objectText, memoryHeader.header.objectText);
    EXPECT_EQ(fileHeader.searchRadius, memoryHeader.searchRadius);
    ResultTable fileRows, memoryRows;
    std::vector<double> fileIds, memoryIds;
    DataExtent fileExtent, memoryExtent;
    AreaCentre fileCentre, memoryCentre;
    const int fileResult =
        ReadCalculatedRecords(path, fromFile, fileRows, fileIds, fileExtent, fileCentre);
    EXPECT_EQ(fileResult, ReadCalculatedRecordsFromMemory(text, path, fromMemory, memoryRows,
                                                          memoryIds, memoryExtent, memoryCentre))
        << text;
    filesLoaded += fileResult == 0;
    EXPECT_EQ(fromFile.said, fromMemory.said) << text;
    EXPECT_TRUE(SameBits(fileRows, memoryRows)) << text;
    EXPECT_TRUE(SameBits(fileIds, memoryIds)) << text;
    EXPECT_EQ(std::memcmp(&fileExtent, &memoryExtent, sizeof fileExtent), 0) << text;
    EXPECT_EQ(std::memcmp(&fileCentre, &memoryCentre, sizeof fileCentre), 0) << text;
  }
  EXPECT_EQ(filesLoaded, 3);
}

TEST(MemoryReading, TheExampleSurveyReadsAlike) {
  const std::string path = testing::ExamplesDir() + "/sphere_survey.dat";
  const std::string bytes = testing::ReadFile(path);
  RecordingObserver observer;
  PointSet fromFile, fromMemory;
  ResultTable fileRows, memoryRows;
  ASSERT_EQ(ReadPointFile(path, {}, '.', observer, fromFile, fileRows), 0);
  ASSERT_EQ(ReadPointFileFromMemory(bytes, path, {}, '.', observer, fromMemory, memoryRows), 0);
  EXPECT_GT(fromFile.table.Size(), 100);
  EXPECT_TRUE(SameBits(fromFile, fromMemory));
  EXPECT_TRUE(SameBits(fileRows, memoryRows));
}

}  // namespace
}  // namespace zelvo
