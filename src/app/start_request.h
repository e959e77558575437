#pragma once
// What a first start does with its command line once the window is up: a
// path that names no file says why in the status line; a stream address
// plays without detection; a page address is queued and played. (An
// existing file is handed to the window's start itself.)
#include "app/command_line.h"

class CAppSetting;
class COvrinDlg;

void ActOnStartRequest(COvrinDlg& window, CAppSetting& settings, const StartRequest& request);
