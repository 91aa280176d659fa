// Resource and command identifiers shared by the resource script and the code.
#pragma once

#define IDI_KAVLOR 1
#define IDB_TOOLBAR 101    // tool bar pictures, 32x32 each
#define IDB_TOOLBAR48 102  // the same drawn at 48x48
#define IDB_TOOLBAR64 103  // and at 64x64
#define IDR_MANIFEST 1

// Menu commands of the main window, one per item.
#define ID_huatu 1001
#define ID_plzhuan 1002
#define ID_open 1003
#define ID_baocuntx 1004
#define ID_qinchutx 1005
#define ID_tuichu 1006
#define ID_buzuoqping 1010
#define ID_buzuockou 1011
#define ID_buzuobfeng 1012
#define ID_zdongbuzuo 1013
#define ID_zidingyi 1014
#define ID_shezhi 1020
#define ID_buhuo 1021
#define ID_bu800 1022
#define ID_bu1024 1023
#define ID_dayinsz 1030
#define ID_dayingtux 1031
#define ID_guanyuwm 1040
#define ID_lianxiwm 1041
#define ID_fangweng 1042
#define ID_bangzhu 1043

// Menu commands of the converter window.
#define ID_plzh_open 1201
#define ID_plzh_exit 1202
#define ID_plzh_zhuanhuan 1203
#define ID_plzh_help 1204

// Tool bar buttons have ids of their own: the tool bar's handler dispatches on their keys.
#define ID_TB_buzuoqp 1101
#define ID_TB_buzuoqkou 1102
#define ID_TB_buzuobufen 1103
#define ID_TB_zidongbzuo 1104
#define ID_TB_zxingbuzuo 1105
#define ID_TB_clstx 1106
#define ID_TB_savetx 1107
#define ID_TB_lianxiwm 1108

// Child controls of the main window.
#define IDC_Toolbar1 2001
#define IDC_StatusBar1 2002
#define IDC_Picture1 2003
