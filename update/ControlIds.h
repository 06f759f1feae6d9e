#pragma once
// Control identifiers of the main window. The window probe of the tests reads the same table,
// so a control can be found from outside by its name.
#define UPDATER_CONTROLS(X)                                                                                  \
    X(PageControl1, 1001)                                                                                    \
    X(TabSheet1, 1002)                                                                                       \
    X(GroupBox1, 1003)                                                                                       \
    X(MemoUpdateLog, 1004)                                                                                   \
    X(Label6, 1005)                                                                                          \
    X(Edit_DownLoadSize_B, 1006)                                                                             \
    X(Edit_DownLoadSize_A, 1007)                                                                             \
    X(DownLoadProgressBar, 1008)                                                                             \
    X(Label14, 1009)                                                                                         \
    X(StatusBar, 1010)                                                                                       \
    X(PageControl2, 1100)                                                                                    \
    X(TabSheet3, 1101)                                                                                       \
    X(GroupBox2, 1102)                                                                                       \
    X(ButtonReadIni, 1103)                                                                                   \
    X(ServerUrl, 1104)                                                                                       \
    X(Edit_ProcessName, 1105)                                                                                \
    X(UpdatedRunProcessName, 1106)                                                                           \
    X(Edit_UpdateVisible, 1107)                                                                              \
    X(EditGoUrl, 1108)                                                                                       \
    X(Edit_UpdateFileList, 1109)                                                                             \
    X(Edit_ServerUrlFileName, 1110)                                                                          \
    X(Edit_ZipFileName, 1111)                                                                                \
    X(Label8, 1112)                                                                                          \
    X(Label7, 1113)                                                                                          \
    X(Label15, 1114)                                                                                         \
    X(Label9, 1115)                                                                                          \
    X(Label13, 1116)                                                                                         \
    X(Label12, 1117)                                                                                         \
    X(Label11, 1118)                                                                                         \
    X(Label1, 1119)                                                                                          \
    X(TabSheet4, 1200)                                                                                       \
    X(Button_JianCeWangLuo, 1201)                                                                            \
    X(ListBoxServerTxt, 1202)                                                                                \
    X(Label4, 1203)                                                                                          \
    X(Button_DownLoadServerTxt, 1204)                                                                        \
    X(Memo_ClientVer, 1205)                                                                                  \
    X(Memo_ServerVer, 1206)                                                                                  \
    X(Label2, 1207)                                                                                          \
    X(Button_LoadVer, 1208)                                                                                  \
    X(ListBox_UpdateServerUrl, 1209)                                                                         \
    X(Label3, 1210)                                                                                          \
    X(ListBox_ServerUrl, 1211)                                                                               \
    X(ListBox_PingValue, 1212)                                                                               \
    X(ButtonUpdateWebPing, 1213)                                                                             \
    X(ListBoxUpdateDownLoad, 1214)                                                                           \
    X(Label5, 1215)                                                                                          \
    X(ListBoxSplit, 1216)                                                                                    \
    X(Button_DownUpdateing, 1217)                                                                            \
    X(TabSheet6, 1300)                                                                                       \
    X(Button_KillProcess, 1301)                                                                              \
    X(Button_DeleteUpdateFile, 1302)                                                                         \
    X(Button_SoftCloseDelFile, 1303)                                                                         \
    X(Button_UpdateME, 1304)                                                                                 \
    X(ButtonHideSYSICO, 1305)                                                                                \
    X(Button_Rrunme, 1306)

enum UpdaterControlId {
#define UPDATER_CONTROL_ENUM(name, id) IDC_##name = (id),
    UPDATER_CONTROLS(UPDATER_CONTROL_ENUM)
#undef UPDATER_CONTROL_ENUM
};
