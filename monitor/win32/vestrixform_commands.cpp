// The main window's commands that open the configuration window and the
// about box. Each opening creates a new window, owned by the program and
// shown modally; the main window is disabled meanwhile and calls go on.
#include "monitor/win32/about.h"
#include "monitor/win32/configure.h"
#include "monitor/win32/runkey_win32.h"
#include "monitor/win32/vestrixform.h"
#include "widgets/control.h"

namespace vx {

void TVestrixForm::imConfigureClick() {
    TRunKeyWin32 runKey;
    TVestrixApp& a = app_;
    TConfigForm::Kontext k{a.P, a.Texty, a.DialUp1(), a.fs, runKey, ProgramFilePath(), {}, hwnd_};
    k.pouzitie.ShowIndicator = [this](TIndikator i, bool on) { display_->ShowIndicator(i, on); };
    k.pouzitie.SetShowHints = [](bool on) { SetShowHints(on); };
    k.pouzitie.NastavCOM = [&a] { a.NastavCOMTeraz(); };
    k.pouzitie.Texty = &a.Texty;
    TConfigForm ConfigForm(std::move(k));
    ConfigForm.ShowModal();
}

void TVestrixForm::pumOprogrameClick() {
    TAboutBox AboutBox(app_.Texty, hwnd_);
    AboutBox.ShowModal();
}

}  // namespace vx
