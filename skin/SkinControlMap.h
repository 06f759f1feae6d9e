#pragma once
// Which control skin a control or window gets: the rules for framework controls, for bare windows
// by their window class, and the program's own list of further classes (Skin3rd). Portable: the
// rules see only names, styles and switches; the Win32 walk asks them and makes the skins.
#include <cstdint>

// Every member of the control skin family.
enum class TSkinWrapperKind {
    None,
    Button,
    BitButton,
    MenuButton,
    SpeedButton,
    CheckBox,
    RadioButton,
    ObjImage,
    GroupBox,
    Box,
    BoxH,
    StatusBar,
    Tab,
    Tab31,
    TabSheet,
    TabBtn,
    AdvPage,
    TrackBar,
    UpDown,
    Progress,
    Edit,
    ComBox,
    DateTime,
    Scrollbar,
    ScrollbarH,
    ListView,
    ComboxScrollBar,
    Header,
    Sizer,
    ScControl,
    MP,
};
