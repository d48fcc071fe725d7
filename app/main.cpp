// Quorvane's entry: build the main window (which runs the whole start-up), show it and run the
// message loop until it is closed.
#include <windows.h>

#include <clocale>

#include "app/main_window.h"
#include "res/resource_ids.h"
#include "settings/product.h"
#include "settings/text_util.h"

namespace {
constexpr int kDesignWidth = 916;
constexpr int kDesignHeight = 640;
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int nCmdShow) {
    std::setlocale(LC_CTYPE, "");
    MainWindow window(instance, Utf8ToUtf16(kProductName), kDesignWidth, kDesignHeight,
                      IDI_APPLICATION_MARK, IDI_APPLICATION_MARK);
    window.Show(nCmdShow);
    return window.RunMessageLoop();
}
