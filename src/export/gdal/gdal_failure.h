#pragma once

#include <algorithm>
#include <string>

#include <cpl_error.h>

namespace zelvo {

// Keeps GDAL from printing while it lives and holds its first failure: that
// one names the cause, the failures after it are its consequences. Closing
// a dataset reports only through this channel.
class GdalFailureCapture {
 public:
  GdalFailureCapture() {
    CPLErrorReset();
    CPLPushErrorHandlerEx(&GdalFailureCapture::Record, this);
  }
  ~GdalFailureCapture() { CPLPopErrorHandler(); }
  GdalFailureCapture(const GdalFailureCapture&) = delete;
  GdalFailureCapture& operator=(const GdalFailureCapture&) = delete;

  bool failed() const { return failed_; }
  const std::string& message() const { return message_; }
  // GDAL's words when it gave any, else the fallback.
  std::string Reason(const char* fallback) const { return message_.empty() ? fallback : message_; }

 private:
  static void CPL_STDCALL Record(CPLErr level, CPLErrorNum, const char* message) {
    auto* self = static_cast<GdalFailureCapture*>(CPLGetErrorHandlerUserData());
    if (level < CE_Failure || self->failed_) return;
    self->failed_ = true;
    self->message_ = message != nullptr ? message : "";
    // Some drivers break their message in two; a reason is one line.
    std::replace(self->message_.begin(), self->message_.end(), '\n', ' ');
  }

  bool failed_ = false;
  std::string message_;
};

}  // namespace zelvo
