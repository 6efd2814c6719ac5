#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/qt/window_layout.h"

namespace zelvo {
namespace {

TEST(WindowLayout, EveryControlOnceAndEveryFrameBeforeWhatLiesInIt) {
  std::set<Control> controls;
  std::set<std::string> names;
  for (const LayoutEntry& entry : WindowLayout()) {
    const std::string shown = entry.name != nullptr ? entry.name : entry.caption;
    EXPECT_TRUE(!entry.control || controls.insert(*entry.control).second) << shown;
    EXPECT_TRUE(entry.name == nullptr || names.insert(entry.name).second) << shown;
    EXPECT_EQ(entry.name == nullptr, entry.kind == WidgetKind::kLabel) << shown;
    EXPECT_TRUE(entry.parent == nullptr || names.count(entry.parent)) << shown;
  }
  EXPECT_EQ(controls.size(), static_cast<std::size_t>(kControlCount));
}

}  // namespace
}  // namespace zelvo
