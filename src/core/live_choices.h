#pragma once

#include <string>

#include "core/plane_fit.h"

namespace zelvo {

// N of the N-nearest search, or the message that tells why there is none.
struct NearestCount {
  int value = 0;
  std::string failure;  // empty when value holds N
};

// The choices a run takes afresh at every point of calculation. A window's
// may change while a run is under way, and a change applies from the next
// point; a script's stay as given.
class LiveChoices {
 public:
  virtual ~LiveChoices() = default;
  virtual FitChoices Fit() const = 0;
  // False: the neighbours within the search radius.
  virtual bool NearestSearch() const = 0;
  virtual NearestCount Nearest() const = 0;
  // True when no choice can change during a run, which lets a run fit its
  // points in any order and on several threads.
  virtual bool Fixed() const { return false; }
};

// Choices that stay as given for the whole run.
class FixedChoices : public LiveChoices {
 public:
  FixedChoices(const FitChoices& fit, bool nearestSearch, int nearest)
      : fit_(fit), nearestSearch_(nearestSearch), nearest_{nearest, {}} {}
  FitChoices Fit() const override { return fit_; }
  bool NearestSearch() const override { return nearestSearch_; }
  NearestCount Nearest() const override { return nearest_; }
  bool Fixed() const override { return true; }

 private:
  FitChoices fit_;
  bool nearestSearch_;
  NearestCount nearest_;
};

}  // namespace zelvo
