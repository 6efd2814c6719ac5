#pragma once

namespace zelvo {

// The controls of the main window that the logic reads or changes, named as
// the window names them.
enum class Control {
  txt_in, btn_in, cmb_gx, cmb_gy, cmb_point, cmb_gz,
  txt_log, btn_log, chb_cpin, txt_out, btn_out,
  txt_radius, txt_n, txt_iter, UpDown1, rg_nearest, cb_iter,
  cmb_centerx, cmb_centery, cmb_centerz, ProgressBar1,
  cb_preview, txt_nearest, btn_load, btn_calc, btn_exit, btn_stop,
  cb1, btn_save1, cb2, btn_save2, cb3, btn_save3,
  img_uba, img_regta, img_delta,
};

inline constexpr int kControlCount = static_cast<int>(Control::img_delta) + 1;

}  // namespace zelvo
