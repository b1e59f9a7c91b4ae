#include "ui/frm_clean.h"
#include "ui/platform/platform.h"

int main(int argc, char** argv) {
  platform::Application app(argc, argv);
  frmClean form;
  form.Show();
  return app.exec();
}
