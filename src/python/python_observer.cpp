#include "python/python_observer.h"

#include <cstring>

#include "base/number_text.h"

namespace py = pybind11;

namespace zelvo {
namespace {

// Often enough that Ctrl-C answers at once, rarely enough that taking the GIL
// costs the fits nothing.
constexpr std::chrono::milliseconds kSignalInterval{50};

constexpr std::string_view kSingularQuestionStart = "Error in SLE";
constexpr std::string_view kQuestionEnd = " Continue?";

bool IsSingularQuestion(std::string_view text) {
  return text.substr(0, kSingularQuestionStart.size()) == kSingularQuestionStart;
}

// The question without its request for an answer: what an exception says.
std::string Statement(std::string_view question) {
  if (question.size() >= kQuestionEnd.size() &&
      question.substr(question.size() - kQuestionEnd.size()) == kQuestionEnd) {
    question.remove_suffix(kQuestionEnd.size());
  }
  return std::string(question);
}

}  // namespace

PythonObserver::PythonObserver(py::object progress, bool stopOnSingular, bool& stopRequested)
    : progress_(std::move(progress)),
      stopOnSingular_(stopOnSingular),
      stopRequested_(stopRequested),
      signalsCheckedAt_(std::chrono::steady_clock::now()) {}

void PythonObserver::ShowMessage(std::string_view text) {
  const std::lock_guard<std::mutex> lock(mutex_);
  // The first message tells why the run ended; later ones follow from it.
  if (message_.empty()) message_ = text;
}

void PythonObserver::ShowFileFailure(std::string_view message, const std::string& fileName,
                                     int error) {
  std::string text = std::string(message) + ": " + fileName;
  if (error != 0) text += std::string(": ") + std::strerror(error);
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!message_.empty()) return;
  message_ = text;
  fileFailure_ = true;
}

bool PythonObserver::Ask(std::string_view /*caption*/, std::string_view text) {
  // Only Stop asks anything else, and Stop comes from Ctrl-C or the callback.
  if (!IsSingularQuestion(text)) return true;
  if (!stopOnSingular_) return true;
  const std::lock_guard<std::mutex> lock(mutex_);
  if (message_.empty()) message_ = Statement(text);
  return false;
}

void PythonObserver::StopWithPendingError() {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!pending_) pending_.emplace();
  else PyErr_Clear();
  stopRequested_ = true;
}

void PythonObserver::ProcessMessages() {
  const auto now = std::chrono::steady_clock::now();
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (now - signalsCheckedAt_ < kSignalInterval) return;
    signalsCheckedAt_ = now;
  }
  const py::gil_scoped_acquire gil;
  if (PyErr_CheckSignals() != 0) StopWithPendingError();
}

void PythonObserver::SetProgressRange(int minimum, int maximum) {
  const std::lock_guard<std::mutex> lock(mutex_);
  progressMaximum_ = maximum > minimum ? maximum : minimum + 1;
}

void PythonObserver::SetProgressPosition(int position) {
  if (progress_.is_none()) return;
  double fraction = 0.0;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (position == lastPosition_ || pending_) return;
    lastPosition_ = position;
    fraction = static_cast<double>(position) / progressMaximum_;
  }
  const py::gil_scoped_acquire gil;
  try {
    progress_(fraction);
  } catch (py::error_already_set& error) {
    error.restore();
    StopWithPendingError();
  }
}

std::string PythonObserver::NumberToText(double value) const { return FormatGeneral(value, '.'); }

void PythonObserver::ReportCompletion() {
  if (!progress_.is_none()) progress_(1.0);
}

bool PythonObserver::Interrupted() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return pending_.has_value();
}

void PythonObserver::RaiseFailure() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (pending_) {
    py::error_already_set pending = *pending_;
    lock.unlock();
    throw pending;
  }
  const std::string message = message_.empty() ? "The calculation ended early" : message_;
  if (!fileFailure_) throw py::value_error(message);
  PyErr_SetString(PyExc_OSError, message.c_str());
  throw py::error_already_set();
}

}  // namespace zelvo
