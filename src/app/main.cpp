// Kinoha.exe: start-up. The main window and everything it does live in the kinoha library.
#include <windows.h>

#include "app/Application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  return app::Run(instance, show);
}
