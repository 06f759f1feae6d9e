#include "tests/win/skinlab/labcontrols_win.h"

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <utility>

#include "framework/ComCtrls_win.h"
#include "framework/Forms_win.h"
#include "framework/Handle_win.h"
#include "framework/StdCtrls_win.h"
#include "skin/controls/SkinMP_win.h"

namespace {

// Framework-like classes of other component families, as the skin's class lists name them.
class TLabBitBtn : public TButton {
public:
    using TButton::TButton;
    std::string ClassName() const override { return "TRzBitbtn"; }
};
class TLabSpeedButton : public TButton {
public:
    using TButton::TButton;
    std::string ClassName() const override { return "TRxSpeedButton"; }
};
class TLabMenuButton : public TButton {
public:
    using TButton::TButton;
    std::string ClassName() const override { return "TRzMenuButton"; }
};
class TLabDefaultButton : public TButton {
public:
    using TButton::TButton;

protected:
    void CreateParams(TCreateParams& params) override {
        TButton::CreateParams(params);
        params.style |= BS_DEFPUSHBUTTON;
    }
};
class TLabRzCheckBox : public TWinControl {
public:
    using TWinControl::TWinControl;
    std::string ClassName() const override { return "TRzCheckBox"; }

protected:
    void CreateParams(TCreateParams& params) override {
        params.className = L"Button";
        params.style |= WS_TABSTOP | BS_AUTOCHECKBOX;
    }
};
class TLabPanel : public TWinControl {
public:
    using TWinControl::TWinControl;
    std::string ClassName() const override { return "TPanel"; }
    bool WndProc(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg != WM_PAINT) return TWinControl::WndProc(msg, wParam, lParam, result);
        ScopedPaint paint(handle_);
        RECT r{};
        ::GetClientRect(handle_, &r);
        ::FillRect(paint.get(), &r, ::GetSysColorBrush(COLOR_BTNFACE));
        ::DrawEdge(paint.get(), &r, BDR_RAISEDINNER, BF_RECT);
        ScopedSelectObject font(paint.get(), EffectiveFont());
        ::SetBkMode(paint.get(), TRANSPARENT);
        const std::wstring text = Caption();
        ::DrawTextW(paint.get(), text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        result = 0;
        return true;
    }

protected:
    void CreateParams(TCreateParams& params) override {
        RegisterFrameworkClass(L"TPanel");
        params.className = L"TPanel";
        params.ownClass = true;
    }
};

// A common control as a framework control of its stock class name, which the walk knows.
class TLabCommon : public TWinControl {
public:
    TLabCommon(TComponent* owner, std::string name, const wchar_t* windowClass, DWORD style)
        : TWinControl(owner), name_(std::move(name)), windowClass_(windowClass), style_(style) {}
    std::string ClassName() const override { return name_; }

protected:
    void CreateParams(TCreateParams& params) override {
        params.className = windowClass_;
        params.style |= style_;
    }

private:
    std::string name_;
    std::wstring windowClass_;
    DWORD style_;
};

template <typename T> T* Place(TForm* form, int x, int y, int w, int h, const std::wstring& caption = {}) {
    auto* control = new T(form);
    control->SetParent(form);
    control->SetBounds(x, y, w, h);
    if (!caption.empty()) control->SetCaption(caption);
    return control;
}

} // namespace

std::string LabWindowLine(HWND wnd) {
    char cls[64] = {};
    ::GetClassNameA(wnd, cls, sizeof cls);
    RECT w{}, c{};
    ::GetWindowRect(wnd, &w);
    ::GetClientRect(wnd, &c);
    unique_hrgn region(::CreateRectRgn(0, 0, 0, 0));
    const bool hasRegion = region && ::GetWindowRgn(wnd, region.get()) != ERROR;
    char line[256];
    std::snprintf(line, sizeof line, "%s\t%ld\t%d\t%ld,%ld,%ld,%ld\t%ld,%ld\n", cls,
                  long(::SendMessageA(wnd, 0x3523, 0, 0)), hasRegion ? 1 : 0, w.left, w.top, w.right,
                  w.bottom, c.right, c.bottom);
    return line;
}

TLabControls::TLabControls(TComponent* owner) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES |
                                                     ICC_TAB_CLASSES | ICC_DATE_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&classes);
    form_ = new TForm(owner, L"TLabControls");
    form_->SetCaption(L"控件页 Controls");
    font_.reset(::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                              L"宋体"));
    form_->SetFont(font_.get());
    // Below the lab's other windows, clear of the skinned ones (whose corners show what is under
    // them), with room for a menu bar within an 800 x 600 desktop.
    form_->SetBounds(1, 354, 0, 0);
    form_->SetClientSize(790, 188);
    form_->Handle();
    MakeButtons();
    MakeChecks();
    MakeTextControls();
    MakeRanges();
    MakePages();
    MakeLists();
}

HWND TLabControls::Common(const char* name, const wchar_t* windowClass, DWORD style, int x, int y, int w,
                          int h) {
    auto* control = new TLabCommon(form_, name, windowClass, style);
    control->SetParent(form_);
    control->SetBounds(x, y, w, h);
    HWND wnd = control->Handle();
    if (!wnd) return nullptr;
    ::SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    Add(wnd);
    return wnd;
}

HWND TLabControls::Bare(const wchar_t* windowClass, const wchar_t* text, DWORD style, int x, int y, int w,
                        int h) {
    HWND parent = form_->Handle();
    HWND wnd = ::CreateWindowExW(0, windowClass, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, x, y,
                                 w, h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId_++)),
                                 ::GetModuleHandleW(nullptr), nullptr);
    if (!wnd) return nullptr;
    ::SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    Add(wnd);
    return wnd;
}

void TLabControls::MakeButtons() {
    Add(Place<TButton>(form_, 4, 2, 80, 22, L"普通 Push")->Handle());
    Add(Place<TLabDefaultButton>(form_, 4, 26, 80, 22, L"默认 Default")->Handle());
    auto* disabled = Place<TButton>(form_, 4, 50, 80, 22, L"禁用 Off");
    disabled->SetEnabled(false);
    Add(disabled->Handle());
    Add(Place<TButton>(form_, 4, 74, 80, 32, L"第一行||第二行")->Handle());
    Add(Place<TLabBitBtn>(form_, 4, 108, 80, 22, L"位图 Bit")->Handle());
    Add(Place<TLabSpeedButton>(form_, 4, 132, 28, 22, L"快")->Handle());
    Add(Place<TLabMenuButton>(form_, 34, 132, 50, 22, L"菜单")->Handle());
}

void TLabControls::MakeChecks() {
    Bare(L"button", L"未选 Off", WS_TABSTOP | BS_AUTOCHECKBOX, 88, 2, 100, 18);
    HWND checked = Bare(L"button", L"选中 On", WS_TABSTOP | BS_AUTOCHECKBOX, 88, 20, 100, 18);
    ::SendMessageW(checked, BM_SETCHECK, BST_CHECKED, 0);
    HWND grey = Bare(L"button", L"不定 Mixed", WS_TABSTOP | BS_AUTO3STATE, 88, 38, 100, 18);
    ::SendMessageW(grey, BM_SETCHECK, BST_INDETERMINATE, 0);
    Bare(L"button", L"禁用 Off", WS_TABSTOP | WS_DISABLED | BS_AUTOCHECKBOX, 88, 56, 100, 18);
    Add(Place<TLabRzCheckBox>(form_, 88, 74, 100, 18, L"其他族 Rz")->Handle());
    HWND group = Place<TGroupBox>(form_, 88, 94, 100, 70, L"分组 Group")->Handle();
    Add(group);
    HWND first = Bare(L"button", L"单选 A", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 96, 112, 86, 18);
    ::SendMessageW(first, BM_SETCHECK, BST_CHECKED, 0);
    Bare(L"button", L"单选 B", BS_AUTORADIOBUTTON, 96, 134, 86, 18);
    // The box lies under the buttons it frames.
    ::SetWindowPos(group, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TLabControls::MakeTextControls() {
    Add(Place<TLabPanel>(form_, 192, 2, 120, 26, L"面板 Panel")->Handle());
    auto* edit = Place<TEdit>(form_, 192, 30, 120, 21);
    edit->SetCaption(L"编辑框 Edit");
    Add(edit->Handle());
    auto* memo = Place<TMemo>(form_, 192, 54, 120, 56);
    for (int i = 1; i <= 8; ++i)
        memo->AddLine(L"备注 Memo " + std::to_wstring(i));
    Add(memo->Handle());
    HWND combo = Bare(L"combobox", nullptr, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 192, 114, 120, 120);
    for (const wchar_t* item : {L"组合框 Combo", L"第二项 Two", L"第三项 Three"})
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
    HWND date =
        Common("TDateTimePicker", DATETIMEPICK_CLASSW, WS_TABSTOP | DTS_SHORTDATEFORMAT, 192, 140, 120, 22);
    // A fixed day, so that pictures of the page do not change with the date.
    SYSTEMTIME day{2024, 5, 3, 1, 12, 0, 0, 0};
    ::SendMessageW(date, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&day));
}

void TLabControls::MakeRanges() {
    auto* list = Place<TListBox>(form_, 316, 2, 120, 52);
    for (const char* item : {"List 1", "List 2", "List 3", "List 4", "List 5"})
        list->Add(item);
    Add(list->Handle());
    auto* progress = Place<TProgressBar>(form_, 316, 56, 120, 16);
    progress->SetPosition(60);
    Add(progress->Handle());
    HWND track = Common("TTrackBar", TRACKBAR_CLASSW, WS_TABSTOP | TBS_AUTOTICKS, 316, 74, 120, 30);
    ::SendMessageW(track, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
    ::SendMessageW(track, TBM_SETPOS, TRUE, 4);
    HWND spin = Common("TUpDown", UPDOWN_CLASSW, 0, 316, 108, 18, 30);
    ::SendMessageW(spin, UDM_SETRANGE32, 0, 10);
    Common("TUpDown", UPDOWN_CLASSW, UDS_HORZ, 340, 108, 34, 18);
    HWND bar = Bare(L"scrollbar", nullptr, WS_TABSTOP | SBS_HORZ, 316, 142, 120, 17);
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 100, 20, 30, 0};
    ::SetScrollInfo(bar, SB_CTL, &info, TRUE);
}

void TLabControls::MakePages() {
    auto* pages = Place<TPageControl>(form_, 440, 2, 170, 80);
    new TTabSheet(form_, pages, L"第一页 One");
    new TTabSheet(form_, pages, L"第二页 Two");
    pages->SetActivePage(0);
    Add(pages->Handle());
    HWND tabs = Bare(WC_TABCONTROLW, nullptr, WS_TABSTOP, 440, 86, 170, 78);
    const wchar_t* names[] = {L"标签 A", L"标签 B", L"Tab C"};
    for (int i = 0; i < 3; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(names[i]);
        ::SendMessageW(tabs, TCM_INSERTITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
    }
}

void TLabControls::MakeLists() {
    HWND header = Common("THeaderControl", WC_HEADERW, HDS_BUTTONS | HDS_HORZ, 614, 2, 172, 22);
    const wchar_t* titles[] = {L"名称 Name", L"大小", L"Date"};
    for (int i = 0; i < 3; ++i) {
        HDITEMW item{};
        item.mask = HDI_TEXT | HDI_WIDTH | HDI_FORMAT;
        item.cxy = 56;
        item.fmt = HDF_LEFT | HDF_STRING;
        item.pszText = const_cast<wchar_t*>(titles[i]);
        ::SendMessageW(header, HDM_INSERTITEMW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
    }
    HWND view = Common("TListView", WC_LISTVIEWW, WS_TABSTOP | WS_BORDER | LVS_REPORT, 614, 26, 172, 96);
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = 80;
        column.pszText = const_cast<wchar_t*>(i == 0 ? L"文件 File" : L"状态");
        ::SendMessageW(view, LVM_INSERTCOLUMNW, WPARAM(i), reinterpret_cast<LPARAM>(&column));
    }
    for (int i = 0; i < 6; ++i) {
        std::wstring text = L"项目 Item " + std::to_wstring(i + 1);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = text.data();
        ::SendMessageW(view, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    auto* player = Place<TWMediaPlayer>(form_, 614, 126, 132, 24);
    player->SetEnabledButtons(kMPAllButtons & ~(1u << btEject));
    Add(player->Handle());
    Bare(L"scrollbar", nullptr, WS_TABSTOP | SBS_VERT, 750, 126, 17, 40);
    // A size grip: a scroll bar without the tab stop.
    Bare(L"scrollbar", nullptr, SBS_SIZEGRIP, 770, 148, 16, 16);
    auto* status = Place<TStatusBar>(form_, 0, 168, 790, 20);
    HWND bar = status->Handle();
    int edges[3] = {240, 480, -1};
    ::SendMessageW(bar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
    const wchar_t* texts[] = {L"就绪 Ready", L"第二栏 Panel 2", L"第三栏 Panel 3"};
    for (int i = 0; i < 3; ++i)
        ::SendMessageW(bar, SB_SETTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(texts[i]));
    Add(bar);
}

TLabControls::~TLabControls() {
    delete form_;
}

std::string TLabControls::Report() const {
    std::string text;
    for (HWND wnd : controls_)
        if (::IsWindow(wnd)) text += LabWindowLine(wnd);
    return text;
}
