// korvandelith.exe: the program entry, the window procedure, and the
// platform calls of window/ui.h over user32, gdi32, comdlg32 and shell32.
// Every text is handed to the ANSI functions as the code page 932 bytes the
// program holds.  Everything else lives in the platform-free window logic.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include "window/commands.h"
#include "window/content.h"
#include "window/control_table.h"
#include "window/startup.h"
#include "window/ui.h"

static_assert(STYLE_CHILD == WS_CHILD && STYLE_VISIBLE == WS_VISIBLE && STYLE_BORDER == WS_BORDER);
static_assert(STYLE_PUSH_BUTTON == BS_PUSHBUTTON && STYLE_CHECK_BOX == BS_CHECKBOX &&
              STYLE_RADIO_BUTTON == BS_RADIOBUTTON && STYLE_GROUP_BOX == BS_GROUPBOX &&
              STYLE_BUTTON_LEFT == BS_LEFT);
static_assert(STYLE_STATIC_LEFT == SS_LEFT && STYLE_STATIC_RIGHT == SS_RIGHT &&
              STYLE_EDIT_AUTO_HSCROLL == ES_AUTOHSCROLL);
static_assert(DRAW_WORD_BREAK == DT_WORDBREAK && DRAW_PATH_ELLIPSIS == DT_PATH_ELLIPSIS);
static_assert(SCROLL_LINE_UP == SB_LINEUP && SCROLL_PAGE_DOWN == SB_PAGEDOWN &&
              SCROLL_THUMB_TRACK == SB_THUMBTRACK && SCROLL_BOTTOM == SB_BOTTOM &&
              SCROLL_END == SB_ENDSCROLL);

namespace {

const char windowClassName[] = "Korvandelith";
const char windowCaption[] = "Korvandelith : Netlist converter R1.20";

HINSTANCE instance;
HWND mainWindow;
HWND controlHandles[CONTROL_COUNT];
HDC paintDc;  // valid while the paint handler runs
char fileTitle[2999];

HWND control(int id) { return id >= 0 && id < CONTROL_COUNT ? controlHandles[id] : nullptr; }

int barOf(int bar) { return bar == BAR_VERTICAL ? SB_VERT : SB_HORZ; }

RECT toRect(const PixelRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

FontMetrics measureFont(HWND window) {
  FontMetrics metrics = {8, 0, 16, 0};
  HDC dc = GetDC(window);
  if (dc == nullptr) return metrics;
  TEXTMETRICA tm;
  if (GetTextMetricsA(dc, &tm))
    metrics = {static_cast<int>(tm.tmAveCharWidth), tm.tmPitchAndFamily,
               static_cast<int>(tm.tmHeight), static_cast<int>(tm.tmExternalLeading)};
  ReleaseDC(window, dc);
  return metrics;
}

void paint(HWND window) {
  PAINTSTRUCT ps;
  paintDc = BeginPaint(window, &ps);
  if (paintDc == nullptr) return;
  SetTextColor(paintDc, GetSysColor(COLOR_BTNTEXT));
  SetBkColor(paintDc, GetSysColor(COLOR_BTNFACE));
  paintControls();
  EndPaint(window, &ps);
  paintDc = nullptr;
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      mainWindow = window;
      createWindowContent(measureFont(window));
      return 0;
    case WM_DESTROY:
      destroyWindowContent();
      return 0;
    case WM_SIZE:
      handleResize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_PAINT:
      paint(window);
      return 0;
    case WM_COMMAND:
      handleCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_HSCROLL:
      handleScroll(BAR_HORIZONTAL, LOWORD(wParam));
      return 0;
    case WM_VSCROLL:
      handleScroll(BAR_VERTICAL, LOWORD(wParam));
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void showStartFailure() {
  MessageBoxA(nullptr, "Few resource or Wrong coding", "Korvandelith", MB_ICONERROR);
}

}  // namespace

bool uiCreateControl(int id, const char* className, uint32_t style, int x, int y, int width,
                     int height) {
  // Every control starts with one blank; labels and texts are set after.
  HWND handle = CreateWindowExA(0, className, " ", style, x, y, width, height, mainWindow,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                                nullptr);
  if (id >= 0 && id < CONTROL_COUNT) controlHandles[id] = handle;
  return handle != nullptr;
}

void uiSetControlText(int id, const char* text) {
  if (HWND h = control(id)) SendMessageA(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void uiGetControlText(int id, char* buf, int size) {
  if (HWND h = control(id)) GetWindowTextA(h, buf, size);
}

void uiSetCheck(int id, bool checked) {
  if (HWND h = control(id)) SendMessageA(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void uiEnableControl(int id, bool enabled) {
  if (HWND h = control(id)) EnableWindow(h, enabled ? TRUE : FALSE);
}

void uiInvalidateAll() { InvalidateRect(mainWindow, nullptr, TRUE); }

void uiUpdateNow() { UpdateWindow(mainWindow); }

void uiScrollClient(int dx, int dy) { ScrollWindow(mainWindow, dx, dy, nullptr, nullptr); }

void uiMoveMainWindow(int x, int y, int width, int height) {
  MoveWindow(mainWindow, x, y, width, height, TRUE);
}

void uiSizeMainWindow(int width, int height) {
  SetWindowPos(mainWindow, HWND_TOP, 0, 0, width, height, SWP_NOMOVE | SWP_NOOWNERZORDER);
}

bool uiGetMainWindowRect(int* left, int* top, int* right, int* bottom) {
  RECT r;
  if (!GetWindowRect(mainWindow, &r)) return false;
  *left = r.left;
  *top = r.top;
  *right = r.right;
  *bottom = r.bottom;
  return true;
}

void uiQuit(int exitCode) { PostQuitMessage(exitCode); }

int uiFullPathName(const char* name, char* buf, int size) {
  DWORD n = GetFullPathNameA(name, static_cast<DWORD>(size), buf, nullptr);
  return n > static_cast<DWORD>(size) ? size : static_cast<int>(n);
}

void uiGetVirtualScreenSize(int* width, int* height) {
  *width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  *height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
}

void uiGetScrollBar(int bar, ScrollBarState* state) {
  SCROLLINFO si = {};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  if (!GetScrollInfo(mainWindow, barOf(bar), &si)) si = SCROLLINFO{};
  *state = {si.nMin, si.nMax, static_cast<int>(si.nPage), si.nPos, si.nTrackPos};
}

int uiSetScrollPosition(int bar, int pos) {
  SCROLLINFO si = {};
  si.cbSize = sizeof si;
  si.fMask = SIF_POS;
  si.nPos = pos;
  SetScrollInfo(mainWindow, barOf(bar), &si, TRUE);
  si.fMask = SIF_POS;
  if (!GetScrollInfo(mainWindow, barOf(bar), &si)) return pos;
  return si.nPos;
}

void uiSetScrollRange(int bar, int max, int page) {
  SCROLLINFO si = {};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE;
  si.nMin = 0;
  si.nMax = max;
  si.nPage = page > 0 ? static_cast<UINT>(page) : 0;
  SetScrollInfo(mainWindow, barOf(bar), &si, TRUE);
}

void uiDrawText(const PixelRect& rect, const char* text, uint32_t format) {
  RECT r = toRect(rect);
  DrawTextA(paintDc, text, -1, &r, format);
}

void uiDrawEdge(const PixelRect& rect, uint32_t edgeType, uint32_t borderFlags) {
  RECT r = toRect(rect);
  DrawEdge(paintDc, &r, edgeType, borderFlags);
}

void uiMessageBox(const char* text, const char* caption) {
  MessageBoxA(mainWindow, text, caption, MB_OK);
}

bool uiOpenFileDialog(const char* filter, char* file, int size) {
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = mainWindow;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = static_cast<DWORD>(size);
  ofn.lpstrFileTitle = fileTitle;
  ofn.nMaxFileTitle = sizeof fileTitle;
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  return GetOpenFileNameA(&ofn) != 0;
}

void uiShellOpen(const char* path) {
  ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int showMode) {
  instance = hInstance;
  WNDCLASSA wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = windowProc;
  wc.hInstance = hInstance;
  wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  wc.lpszClassName = windowClassName;
  if (!RegisterClassA(&wc)) {
    showStartFailure();
    return 0;
  }
  HWND window = CreateWindowExA(0, windowClassName, windowCaption,
                                WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                hInstance, nullptr);
  if (window == nullptr) {
    // Without a window the message loop would wait for ever.
    showStartFailure();
    return 0;
  }
  ShowWindow(window, showMode);
  UpdateWindow(window);
  MSG msg = {};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
