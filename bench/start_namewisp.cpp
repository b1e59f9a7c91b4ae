// Namewisp as src/ui/main.cpp starts it, for the start benchmark.
#include "shown_signal.h"
#include "ui/frm_clean.h"
#include "ui/platform/platform.h"

int main(int argc, char** argv) {
  platform::Application app(argc, argv);
  frmClean form;
  const bench::ShownSignal signal([&form] { form.FileChoice.Current(); });
  form.Show();
  return app.exec();
}
