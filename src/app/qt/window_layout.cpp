#include "app/qt/window_layout.h"

#include "app/window_items.h"

namespace zelvo {
namespace {

using enum WidgetKind;

constexpr const char* kColumnsFrame = "GroupBox2";
constexpr const char* kGridVariableHint = "Select variable for gridding.";
constexpr const char* kSavePaneHint = "Save grid as bitmap.";

// In pixels, as the form was drawn.
constexpr LayoutEntry kLayout[] = {
    {nullptr, {}, kLabel, {16, 16, 0, 0}, "Name of input file [dat,xyz,cba] "},
    {"txt_in", Control::txt_in, kEdit, {184, 8, 337, 21}, nullptr, "Data must contain x, y, h, cba"},
    {"btn_in", Control::btn_in, kButton, {528, 8, 25, 21}, "...", "Show input dialog for data"},

    {kColumnsFrame, {}, kFrame, {17, 32, 505, 41}, "Columns for"},
    {nullptr, {}, kLabel, {11, 24, 0, 0}, "X coordinate", nullptr, kColumnsFrame},
    {"cmb_gx", Control::cmb_gx, kList, {77, 16, 41, 21}, nullptr, nullptr, kColumnsFrame},
    {nullptr, {}, kLabel, {124, 23, 0, 0}, "Y coordinate", nullptr, kColumnsFrame},
    {"cmb_gy", Control::cmb_gy, kList, {205, 15, 41, 21}, nullptr, nullptr, kColumnsFrame},
    {nullptr, {}, kLabel, {282, 25, 0, 0}, "Point ", nullptr, kColumnsFrame},
    {"cmb_point", Control::cmb_point, kList, {315, 17, 41, 21}, nullptr, nullptr, kColumnsFrame},
    {nullptr, {}, kLabel, {387, 25, 0, 0}, "Quantity", nullptr, kColumnsFrame},
    {"cmb_gz", Control::cmb_gz, kList, {449, 17, 41, 21}, nullptr, nullptr, kColumnsFrame},

    {nullptr, {}, kLabel, {16, 88, 0, 0}, "Name of subset input file "},
    {"txt_log", Control::txt_log, kEdit, {184, 79, 340, 21}, nullptr,
     "Optional Subset of input file for detail trace calculation "},
    {"btn_log", Control::btn_log, kButton, {528, 80, 25, 21}, "..."},

    {"chb_cpin", Control::chb_cpin, kLeftCheckBox, {16, 110, 185, 17}, "Point of calculation IN"},

    {nullptr, {}, kLabel, {16, 138, 0, 0}, "Name of output file [.xyz] "},
    {"txt_out", Control::txt_out, kEdit, {181, 130, 343, 21}, nullptr,
     "(x, y, point, h, cba, xgg, ygg, hgg,vgg, regta, delta, A(x,z) )"},
    {"btn_out", Control::btn_out, kButton, {530, 130, 25, 21}, "...", "Show save dialog for output data"},

    {nullptr, {}, kLabel, {16, 165, 0, 0}, "Radius for search [m]"},
    {"txt_radius", Control::txt_radius, kEdit, {181, 157, 90, 21}, nullptr,
     "Search radius for point of calculation"},
    {nullptr, {}, kLabel, {296, 160, 0, 0}, "N nearest points"},
    {"txt_n", Control::txt_n, kEdit, {400, 160, 50, 21}},
    {"Image1", {}, kPicture, {456, 157, 101, 101}},

    {nullptr, {}, kLabel, {16, 192, 0, 0}, "Number of iterations (0 .. 10000)"},
    {"txt_iter", Control::txt_iter, kEdit, {181, 184, 73, 21}, nullptr,
     "Number of iteration for selected object"},
    {"UpDown1", Control::UpDown1, kSpinner, {254, 184, 17, 21}},

    {"rg_nearest", Control::rg_nearest, kRadioGroup, {348, 187, 102, 73}, "Searching"},

    {nullptr, {}, kLabel, {16, 216, 0, 0}, "Object of higher iteration"},
    {"cb_iter", Control::cb_iter, kList, {181, 208, 90, 21}, nullptr,
     "Select object for iteration greater then 0"},
    {nullptr, {}, kLabel, {16, 245, 0, 0}, "Centering X coordinate"},
    {"cmb_centerx", Control::cmb_centerx, kList, {181, 237, 161, 21}},
    {nullptr, {}, kLabel, {16, 272, 0, 0}, "Centering Y coordinate"},
    {"cmb_centery", Control::cmb_centery, kList, {181, 264, 161, 21}},
    {nullptr, {}, kLabel, {16, 296, 0, 0}, "Centering Quantity"},
    {"cmb_centerz", Control::cmb_centerz, kList, {181, 291, 161, 21}},

    {nullptr, {}, kLabel, {16, 356, 0, 0}, "Calc progress"},
    {"ProgressBar1", Control::ProgressBar1, kProgressBar, {181, 352, 376, 17}},

    {"cb_preview", Control::cb_preview, kCheckBox, {20, 384, 89, 17}, "Preview grids",
     "If checked then calc and show grids for selected variables."},
    {nullptr, {}, kLabel, {116, 384, 0, 0}, "Radius for gridding [m]"},
    {"txt_nearest", Control::txt_nearest, kEdit, {228, 376, 89, 21}, nullptr,
     "If 0 then radius for gridding  is equal to radius for search"},
    {"btn_load", Control::btn_load, kButton, {324, 376, 73, 25}, "&Load", "Load calculated Zelvo files"},
    {"btn_calc", Control::btn_calc, kButton, {404, 376, 73, 25}, "&Calc",
     "Calc gradients and save results to output file."},
    // Stop lies beneath Exit: made first, so Exit covers it.
    {"btn_stop", Control::btn_stop, kButton, {484, 376, 73, 25}, "&Stop"},
    {"btn_exit", Control::btn_exit, kButton, {484, 376, 73, 25}, "&Exit", "Save setting and Exit program."},

    {"cb1", Control::cb1, kList, {8, 407, 89, 21}, nullptr, kGridVariableHint},
    {"btn_save1", Control::btn_save1, kButton, {148, 408, 41, 21}, "&Save", kSavePaneHint},
    {"cb2", Control::cb2, kList, {196, 408, 97, 21}, nullptr, kGridVariableHint},
    {"btn_save2", Control::btn_save2, kButton, {332, 408, 41, 21}, "S&ave", kSavePaneHint},
    {"cb3", Control::cb3, kList, {380, 408, 97, 21}, nullptr, kGridVariableHint},
    {"btn_save3", Control::btn_save3, kButton, {516, 408, 41, 21}, "Sa&ve", kSavePaneHint},

    {"img_uba", Control::img_uba, kPane, {12, 432, kPaneWidth, kPaneHeight}},
    {"img_regta", Control::img_regta, kPane, {196, 432, kPaneWidth, kPaneHeight}},
    {"img_delta", Control::img_delta, kPane, {380, 432, kPaneWidth, kPaneHeight}},
};

}  // namespace

std::span<const LayoutEntry> WindowLayout() { return kLayout; }

}  // namespace zelvo
