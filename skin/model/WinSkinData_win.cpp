#include "skin/model/WinSkinData_win.h"

#include <string>
#include <vector>

#include "framework/DebugSink_win.h"
#include "framework/Handle_win.h"
#include "skin/model/Bitmap_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/LateBoundUser32_win.h"

namespace {

// A plain tooltip-style window for the caption button hints.
class TWinHintWindow : public TSkinHintWindow {
public:
    ~TWinHintWindow() override { ReleaseHandle(); }

    TRect CalcHintRect(int maxWidth, const std::string& text) override {
        HDC screen = GetDC(nullptr);
        HGDIOBJ old = SelectObject(screen, Font());
        RECT r{0, 0, maxWidth, 0};
        DrawTextA(screen, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(screen, old);
        ReleaseDC(nullptr, screen);
        return {0, 0, r.right + 6, r.bottom + 2};
    }

    void ActivateHint(const TRect& rect, const std::string& text) override {
        text_ = text;
        if (!window_) {
            RegisterClassOnce();
            window_.reset(CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, "",
                                          WS_POPUP | WS_BORDER, 0, 0, 0, 0, nullptr, nullptr,
                                          GetModuleHandleA(nullptr), this));
            if (!window_) return;
        }
        SetWindowPos(window_.get(), HWND_TOPMOST, rect.Left, rect.Top, rect.Width(), rect.Height(),
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
        InvalidateRect(window_.get(), nullptr, TRUE);
    }

    void ReleaseHandle() override { window_.reset(); }

private:
    static constexpr char kClassName[] = "TSkinHintWindow";

    HFONT Font() {
        if (!font_) {
            NONCLIENTMETRICSA m{};
            m.cbSize = sizeof(m);
            if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0))
                font_.reset(CreateFontIndirectA(&m.lfStatusFont));
        }
        return font_ ? font_.get() : HFONT(GetStockObject(DEFAULT_GUI_FONT));
    }

    static void RegisterClassOnce() {
        static bool done = [] {
            WNDCLASSA wc{};
            wc.style = CS_SAVEBITS | CS_DROPSHADOW;
            wc.lpfnWndProc = WndProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
            wc.hbrBackground = GetSysColorBrush(COLOR_INFOBK);
            wc.lpszClassName = kClassName;
            return RegisterClassA(&wc) != 0;
        }();
        (void)done;
    }

    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        try {
            if (msg == WM_NCCREATE) {
                auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
                SetWindowLongPtrA(wnd, GWLP_USERDATA, LONG_PTR(cs->lpCreateParams));
            } else if (msg == WM_PAINT) {
                auto* self = reinterpret_cast<TWinHintWindow*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
                PAINTSTRUCT ps;
                HDC dc = BeginPaint(wnd, &ps);
                if (self) {
                    RECT r;
                    GetClientRect(wnd, &r);
                    r.left += 2;
                    HGDIOBJ old = SelectObject(dc, self->Font());
                    SetBkMode(dc, TRANSPARENT);
                    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
                    DrawTextA(dc, self->text_.c_str(), int(self->text_.size()), &r,
                              DT_WORDBREAK | DT_NOPREFIX);
                    SelectObject(dc, old);
                }
                EndPaint(wnd, &ps);
                return 0;
            } else if (msg == WM_NCHITTEST) {
                return HTTRANSPARENT;
            }
        } catch (...) {
            DebugReportCurrentException("skin data window");
        }
        return DefWindowProcA(wnd, msg, wParam, lParam);
    }

    unique_hwnd window_;
    unique_hfont font_;
    std::string text_;
};

class TWinSkinPlatform : public TSkinPlatform {
public:
    bool HasScrollBarInfo() const override { return TLateBoundUser32::HasScrollBarInfo(); }
    int HorzScrollArrowWidth() const override { return GetSystemMetrics(SM_CXHSCROLL); }
    int MaximizedWidth() const override { return GetSystemMetrics(SM_CXMAXIMIZED); }
    int MaximizedHeight() const override { return GetSystemMetrics(SM_CYMAXIMIZED); }

    TSkinFont CaptionFont() const override {
        TSkinFont font;
        NONCLIENTMETRICSA m{};
        m.cbSize = sizeof(m);
        if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0)) {
            font.Name = m.lfCaptionFont.lfFaceName;
            font.Height = m.lfCaptionFont.lfHeight;
            font.Weight = m.lfCaptionFont.lfWeight;
            font.Charset = m.lfCaptionFont.lfCharSet;
            font.Italic = m.lfCaptionFont.lfItalic != 0;
        }
        return font;
    }

    TBitmap32 ApplicationIcon() const override {
        const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
        HMODULE module = GetModuleHandleA(nullptr);
        // The application icon is the first icon resource; ask for the small size, and let the
        // system shrink the big one when there is no small image.
        unique_hicon icon(HICON(LoadImageA(module, MAKEINTRESOURCEA(1), IMAGE_ICON, cx, cy, 0)));
        if (!icon) return {};
        TDibSection dib(cx, cy);
        if (!dib.Valid()) return {};
        TBitmap32 back(cx, cy, clMagenta);
        dib.CopyFrom(back);
        DrawIconEx(dib.DC(), 0, 0, icon.get(), cx, cy, 0, nullptr, DI_NORMAL);
        GdiFlush();
        TBitmap32 result = dib.ToBitmap();
        result.SetPixelFormat(TPixelFormat::pf24bit);
        return result;
    }

    std::unique_ptr<TSkinHintWindow> CreateHintWindow() const override {
        return std::make_unique<TWinHintWindow>();
    }
};

} // namespace

void UsePlatformSkinServices() {
    static TWinSkinPlatform platform;
    SetSkinPlatform(&platform);
    UsePlatformSysColours();
}

bool LoadSkinFromResource(TSkinData& skinData, HMODULE module, int id) {
    if (!module) module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10)); // RT_RCDATA
    if (!info) return false;
    HGLOBAL handle = LoadResource(module, info);
    const DWORD size = SizeofResource(module, info);
    const auto* bytes = handle ? static_cast<const std::uint8_t*>(LockResource(handle)) : nullptr;
    if (!bytes || size == 0) return false;
    skinData.SetStoredSkin(std::vector<std::uint8_t>(bytes, bytes + size));
    return skinData.LoadSkin();
}
