#include "app/window_choices.h"

#include <optional>

#include "base/run_limits.h"
#include "base/number_text.h"

namespace zelvo {

FitChoices WindowChoices::Fit() const {
  FitChoices choices;
  choices.pointOfCalculationIn = window_.Checked(Control::chb_cpin);
  choices.centerX = window_.ItemIndex(Control::cmb_centerx);
  choices.centerY = window_.ItemIndex(Control::cmb_centery);
  choices.centerQ = window_.ItemIndex(Control::cmb_centerz);
  return choices;
}

bool WindowChoices::NearestSearch() const { return window_.ItemIndex(Control::rg_nearest) != 0; }

NearestCount WindowChoices::Nearest() const {
  const std::string text = window_.Text(Control::txt_n);
  const std::optional<std::int32_t> value = ParseInteger(TrimBlanks(text));
  if (!value) return {0, NotValidIntegerMessage(text)};
  if (*value < kMinNearestCount) return {0, kNearestCountMessage};
  return {*value, {}};
}

}  // namespace zelvo
