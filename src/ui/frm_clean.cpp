#include "ui/frm_clean.h"

#include <iterator>

#include "clean/clean_pass.h"
#include "clean/shell_rename.h"

namespace {

using platform::ControlKind;

constexpr platform::Colour kBlack = 0x000000;
constexpr platform::Colour kYellow = 0x00FFFF;
constexpr platform::Colour kSilver = 0xC0C0C0;
constexpr int kRemoveMaxLength = 60;

// In tab order; lengths in twips.
constexpr platform::ControlLayout kControls[] = {
    {"lblText", ControlKind::Label, u"Text to Remove", 120, 120, 1575, 255, kYellow, kBlack},
    {"txtRemove", ControlKind::TextBox, u"", 1680, 120, 1935, 360, kSilver, kBlack,
     kRemoveMaxLength},
    {"FileChoice", ControlKind::FileList, u"", 120, 600, 3495, 2340, kSilver, kBlack, 0, u"Files"},
    {"cmdRefresh", ControlKind::Button, u"&Refresh", 1560, 3240, 975, 495, {}, {}},
    {"cmdClean", ControlKind::Button, u"&Clean", 2640, 3240, 975, 495, {}, {}},
    {"cmdClose", ControlKind::Button, u"&Close", 480, 3240, 975, 495, {}, {}},
};

static_assert(std::size(kControls) == frmClean::cmdClose + 1 &&
                  kControls[frmClean::lblText].name == "lblText" &&
                  kControls[frmClean::txtRemove].name == "txtRemove" &&
                  kControls[frmClean::FileChoiceBox].name == "FileChoice" &&
                  kControls[frmClean::cmdRefresh].name == "cmdRefresh" &&
                  kControls[frmClean::cmdClean].name == "cmdClean" &&
                  kControls[frmClean::cmdClose].name == "cmdClose",
              "frmClean::Control and the rows of kControls must name the controls in one order");

}  // namespace

const platform::FormLayout frmClean::kLayout = {
    "frmClean", u"Namewisp", 3735, 3855, kBlack, {u"Tahoma", 9, 400, false, false, false, 0},
    kControls,
};

frmClean::frmClean(clean::ShellService service)
    : form_(platform::createForm(kLayout, [this](platform::ControlId c) { onClick(c); })),
      service_(service),
      FileChoice(*form_, FileChoiceBox, platform::workingDirectory()) {}

void frmClean::Show() {
  form_->show();
}

void frmClean::onClick(platform::ControlId control) {
  switch (control) {
    case FileChoiceBox:
      return FileChoice_Click();
    case cmdRefresh:
      return cmdRefresh_Click();
    case cmdClean:
      return cmdClean_Click();
    case cmdClose:
      return cmdClose_Click();
    default:
      return;
  }
}

void frmClean::FileChoice_Click() {
  form_->setText(txtRemove, platform::toText(FileChoice.FileName()));
}

void frmClean::cmdRefresh_Click() {
  FileChoice.Refresh();
}

void frmClean::cmdClean_Click() {
  const platform::Text removal = form_->text(txtRemove);
  if (!FileChoice.Current()) return;  // the user stopped waiting for the folder's read
  if (FileChoice.ListCount() == 0) {
    platform::messageBox(u"No Files Found!");
    return;
  }
  // Decided on the entries listed at the press, each once: a re-read after a rename re-sorts
  // the list, so walking it by index would skip some files and visit others twice.
  std::vector<clean::Rename> renames =
      clean::renamesFor(*FileChoice.names(), removal, FileChoice.folder());
  const std::unique_ptr<platform::Task> task = form_->beginTask(renames.size());
  for (std::size_t done = 0; done < renames.size(); ++done) {
    if (!task->proceed(done)) break;
    // On the disk thread, which a request the user stops waiting for keeps to itself.
    struct Outcome {
      std::int32_t result = 0;
      bool aborted = false;
    };
    const auto outcome = std::make_shared<Outcome>();
    const auto request =
        platform::runOnDiskThread([outcome, rename = std::move(renames[done]), service = service_] {
          outcome->result =
              clean::ShellRename(rename.source, rename.destination, service, outcome->aborted);
        });
    const bool answered = task->wait(*request);
    FileChoice.Refresh();
    // The service reports its failures itself; only a cancel from its dialog stops the press.
    if (!answered || clean::cancelledByUser(outcome->result, outcome->aborted)) break;
  }
}

void frmClean::cmdClose_Click() {
  form_->unload();
}
