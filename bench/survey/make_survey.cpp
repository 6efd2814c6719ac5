// Writes the benchmark survey as an input file of zelvo-batch and, on
// request, as float64 triples for the peers.
//
//   make_survey [--lines L] [--points-per-line M] [--triples FILE] OUT
//   make_survey --scattered N [--side METRES] [--triples FILE] OUT

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "survey/scattered_layout.h"
#include "survey/survey_layout.h"
#include "survey/survey_text.h"

namespace {

struct Request {
  int lines = zelvo::bench::kSurveyLines;
  int stations = zelvo::bench::kSurveyStations;
  int scattered = 0;  // 0: the survey lines
  double side = 1.0e6;
  std::string triplesFile;
  std::string textFile;
};

constexpr const char* kUsage =
    "usage: make_survey [--lines L] [--points-per-line M] [--triples FILE] OUT\n"
    "       make_survey --scattered N [--side METRES] [--triples FILE] OUT\n";

std::optional<int> PositiveCount(const char* text) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value <= 0 || value > 1'000'000'000) return std::nullopt;
  return static_cast<int>(value);
}

std::optional<Request> ParseRequest(int argc, char** argv) {
  Request request;
  for (int k = 1; k < argc; ++k) {
    const std::string option = argv[k];
    const bool hasValue = k + 1 < argc;
    if (option == "--triples" && hasValue) {
      request.triplesFile = argv[++k];
    } else if (option == "--side" && hasValue) {
      request.side = std::strtod(argv[++k], nullptr);
      if (!(request.side > 0)) return std::nullopt;
    } else if ((option == "--lines" || option == "--points-per-line" || option == "--scattered") &&
               hasValue) {
      const std::optional<int> count = PositiveCount(argv[++k]);
      if (!count) return std::nullopt;
      (option == "--lines" ? request.lines
                           : option == "--scattered" ? request.scattered : request.stations) = *count;
    } else if (option.starts_with("-") || !request.textFile.empty()) {
      return std::nullopt;
    } else {
      request.textFile = option;
    }
  }
  if (request.textFile.empty()) return std::nullopt;
  if (static_cast<long long>(request.lines) * request.stations > 2'000'000'000LL) return std::nullopt;
  return request;
}

std::string Description(const Request& request) {
  if (request.scattered > 0) {
    return std::to_string(request.scattered) + " points scattered over a square of side " +
           std::to_string(request.side) + " m";
  }
  return "benchmark survey: " + std::to_string(request.lines) + " lines 100 m apart, " +
         std::to_string(request.stations) + " stations 10 m apart, +-1 m jitter";
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// False, after telling why, when the file cannot be written completely.
bool WriteFile(const std::string& name, bool (*write)(const zelvo::bench::SurveyPoints&,
                                                      const std::string&, std::FILE*),
               const zelvo::bench::SurveyPoints& points, const std::string& description) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(name.c_str(), "wb"));
  const bool written = file && write(points, description, file.get()) &&
                       std::fclose(file.release()) == 0;
  if (!written) std::perror(name.c_str());
  return written;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Request> request = ParseRequest(argc, argv);
  if (!request) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const zelvo::bench::SurveyPoints points =
      request->scattered > 0 ? zelvo::bench::MakeScattered(request->scattered, request->side)
                             : zelvo::bench::MakeSurvey(request->lines, request->stations);
  const std::string description = Description(*request);
  if (!WriteFile(request->textFile, zelvo::bench::WriteSurveyText, points, description)) return 1;
  if (!request->triplesFile.empty() &&
      !WriteFile(
          request->triplesFile,
          [](const zelvo::bench::SurveyPoints& p, const std::string&, std::FILE* out) {
            return zelvo::bench::WriteSurveyTriples(p, out);
          },
          points, description)) {
    return 1;
  }
  std::printf("%zu points\n", points.Size());
  return 0;
}
