// korvandelith.exe: the program entry, the window procedure, and the
// platform calls of window/ui.h over user32, gdi32, comdlg32 and shell32.
// Every text is handed to the ANSI functions as the code page 932 bytes the
// program holds.  Everything else lives in the platform-free window logic.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "options/options.h"
#include "window/commands.h"
#include "window/content.h"
#include "window/control_table.h"
#include "window/startup.h"
#include "window/text_fit.h"
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
HFONT paintFont;  // the paint context's font before the first uiSetPaintFont
char fileTitle[2999];

// The box that shows a result too long to be painted whole, created when
// first needed; its text with CR LF line ends, as an edit control wants it,
// and whether the box holds it (setting it again at every paint would
// scroll the box back to its top).
HWND textBox;
char textBoxText[2 * SETTING_TEXT_SIZE];
bool textBoxFilled;

// The text fonts by character height, created when first asked for, all
// alike but for their height: the face and character set of the system's
// font for dialog controls.
enum : int { FONT_HEIGHT_LIMIT = 256 };
HFONT fonts[FONT_HEIGHT_LIMIT];
HDC measureDc;  // a memory context that texts are measured in

LOGFONTA fontShape;  // the face and character set of every text font
bool fontShapeChosen;

LOGFONTA fontOfFace(const LOGFONTA& base, const char* face, int height) {
  LOGFONTA lf = base;
  if (face != nullptr) lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
  lf.lfHeight = height;  // positive: the character cell's height
  lf.lfWidth = 0;
  lf.lfWeight = FW_NORMAL;
  // Only an outline font scales to every height; the bitmap fonts that
  // may stand in for a face draw '_' outside their character cell.
  lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  return lf;
}

// The system's face for dialog controls, unless the platform maps it to a
// fixed-pitch font (Wine does, in a Japanese locale): the control table's
// rectangles were drawn for proportional text, so a proportional face of
// the same character set is preferred where one is installed.
void chooseFontShape() {
  fontShapeChosen = true;
  LOGFONTA base = {};
  if (!GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof base, &base)) base.lfCharSet = DEFAULT_CHARSET;
  fontShape = fontOfFace(base, nullptr, 16);
  const char* const faces[] = {nullptr, "MS UI Gothic", "MS PGothic", "IPAPGothic", "Tahoma"};
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return;
  for (const char* face : faces) {
    LOGFONTA lf = fontOfFace(base, face, 16);
    HFONT font = CreateFontIndirectA(&lf);
    if (font == nullptr) continue;
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm;
    // TMPF_FIXED_PITCH set means a variable-pitch font.
    bool proportional = GetTextMetricsA(dc, &tm) && (tm.tmPitchAndFamily & TMPF_FIXED_PITCH) &&
                        (tm.tmCharSet == base.lfCharSet || base.lfCharSet == DEFAULT_CHARSET);
    SelectObject(dc, old);
    DeleteObject(font);
    if (proportional) {
      fontShape = lf;
      break;
    }
  }
  DeleteDC(dc);
}

HFONT textFont(int height) {
  if (height < 1) height = 1;
  if (height >= FONT_HEIGHT_LIMIT) height = FONT_HEIGHT_LIMIT - 1;
  if (!fontShapeChosen) chooseFontShape();
  if (fonts[height] == nullptr) {
    LOGFONTA lf = fontOfFace(fontShape, nullptr, height);
    fonts[height] = CreateFontIndirectA(&lf);
  }
  return fonts[height] != nullptr ? fonts[height] : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

HDC measuringContext(int height) {
  if (measureDc == nullptr) measureDc = CreateCompatibleDC(nullptr);
  if (measureDc != nullptr) SelectObject(measureDc, textFont(height));
  return measureDc;
}

void deleteFonts() {
  if (measureDc != nullptr) DeleteDC(measureDc);
  measureDc = nullptr;
  for (HFONT& font : fonts) {
    if (font != nullptr) DeleteObject(font);
    font = nullptr;
  }
}

// With KORV_LAYOUT_CHECK naming a file, every paint rewrites it with what
// the window shows: the cell, then per labelled control its text measured
// in the control's own font, the room its decoration leaves and its size,
// then the result text's wrapped height in its box.  Tests read it to see
// that every text fits; nothing is written otherwise.
void writeLayoutCheck() {
  char path[MAX_PATH];
  char partial[MAX_PATH + 4];
  DWORD n = GetEnvironmentVariableA("KORV_LAYOUT_CHECK", path, sizeof path);
  if (n == 0 || n >= sizeof path) return;
  // Written beside the file and renamed over it, so that a reader never
  // meets a file half written by the next paint.
  snprintf(partial, sizeof partial, "%s.new", path);
  FILE* out = fopen(partial, "w");
  if (out == nullptr) return;
  char face[LF_FACESIZE] = "";
  if (HDC dc = measuringContext(baseFontHeight)) GetTextFaceA(dc, sizeof face, face);
  fprintf(out, "cell %d %d font %d mark %d language %d face %s\n", charWidth, lineHeight,
          baseFontHeight, uiCheckMarkWidth(), static_cast<int>(settingValues[VAL_LANGUAGE]), face);
  static char text[SETTING_TEXT_SIZE];
  for (int id = 0; id < CONTROL_COUNT; id++) {
    const ControlRecord& row = controlTable[id];
    HWND h = controlHandles[id];
    if (h == nullptr || !kindHasLabel(row.kind)) continue;
    int length = GetWindowTextA(h, text, sizeof text);
    HDC dc = GetDC(h);
    SIZE extent = {0, 0};
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32A(dc, text, length, &extent);
    SelectObject(dc, old);
    ReleaseDC(h, dc);
    RECT client;
    GetClientRect(h, &client);
    fprintf(out, "control %d kind %d font %d text %ld %ld decoration %d %d size %ld %ld label %s\n", id,
            row.kind, controlFontHeight[id], extent.cx, extent.cy,
            labelDecorationWidth(row.kind, controlFontHeight[id]), labelDecorationHeight(row.kind),
            client.right, client.bottom, text);
  }
  const ControlRecord& result = controlTable[ID_RESULT_TEXT];
  PixelRect box = mapRowRect(result);
  int font = fitWrappedFont(settingTexts[result.valueIndex], box);
  int height = uiMeasureWrappedHeight(font > 0 ? font : SMALLEST_FONT_HEIGHT,
                                      settingTexts[result.valueIndex], box.right - box.left);
  bool scrolls = textBox != nullptr && IsWindowVisible(textBox);
  fprintf(out, "result font %d text %d box %d %d %s\n", font, height, box.right - box.left,
          box.bottom - box.top, scrolls ? "scrolls" : "painted");
  if (fclose(out) == 0) MoveFileExA(partial, path, MOVEFILE_REPLACE_EXISTING);
}

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
  paintFont = static_cast<HFONT>(GetCurrentObject(paintDc, OBJ_FONT));
  paintControls();
  SelectObject(paintDc, paintFont);
  EndPaint(window, &ps);
  paintDc = nullptr;
  writeLayoutCheck();
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      mainWindow = window;
      createWindowContent(measureFont(window));
      return 0;
    case WM_DESTROY:
      destroyWindowContent();
      deleteFonts();
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

void uiMeasureText(int fontHeight, const char* text, int* width, int* height) {
  SIZE size = {0, 0};
  if (HDC dc = measuringContext(fontHeight))
    GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &size);
  *width = size.cx;
  *height = size.cy;
}

int uiMeasureWrappedHeight(int fontHeight, const char* text, int width) {
  HDC dc = measuringContext(fontHeight);
  if (dc == nullptr) return 0;
  RECT r = {0, 0, width, 0};
  int height = DrawTextA(dc, text, -1, &r, DT_CALCRECT | DT_WORDBREAK);
  // A word wider than the box is not broken: it would be cut at the right.
  return r.right > width ? INT32_MAX : height;
}

int uiCheckMarkWidth() { return GetSystemMetrics(SM_CXMENUCHECK); }

void uiSetControlFont(int id, int fontHeight) {
  if (HWND h = control(id)) SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(textFont(fontHeight)), TRUE);
}

void uiSetPaintFont(int fontHeight) {
  if (paintDc != nullptr) SelectObject(paintDc, textFont(fontHeight));
}

void uiDrawText(const PixelRect& rect, const char* text, uint32_t format) {
  RECT r = toRect(rect);
  DrawTextA(paintDc, text, -1, &r, format);
}

void uiDrawEdge(const PixelRect& rect, uint32_t edgeType, uint32_t borderFlags) {
  RECT r = toRect(rect);
  DrawEdge(paintDc, &r, edgeType, borderFlags);
}

void uiShowTextBox(const PixelRect& rect, const char* text, int fontHeight) {
  static char converted[sizeof textBoxText];
  size_t n = 0;
  for (const char* p = text; *p != '\0' && n + 2 < sizeof converted; p++) {
    if (*p == '\n') converted[n++] = '\r';
    converted[n++] = *p;
  }
  converted[n] = '\0';
  if (textBox == nullptr) {
    textBox = CreateWindowExA(0, "edit", "",
                              WS_CHILD | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                  ES_AUTOVSCROLL,
                              rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                              mainWindow, nullptr, instance, nullptr);
    if (textBox == nullptr) return;
  }
  SendMessageA(textBox, WM_SETFONT, reinterpret_cast<WPARAM>(textFont(fontHeight)), FALSE);
  MoveWindow(textBox, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
  if (!textBoxFilled || strcmp(converted, textBoxText) != 0) {
    memcpy(textBoxText, converted, n + 1);
    SetWindowTextA(textBox, textBoxText);
    textBoxFilled = true;
  }
  ShowWindow(textBox, SW_SHOWNA);
}

void uiHideTextBox() {
  if (textBox != nullptr) ShowWindow(textBox, SW_HIDE);
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
