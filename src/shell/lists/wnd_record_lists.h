#pragma once
// The history view (216, menu 154) and the favorites view (211, menu 156):
// record lists of their kinds.
#include "shell/lists/record_kinds.h"
#include "shell/lists/wnd_record_list.h"

extern template class CWndRecordList<HistoryKind>;
extern template class CWndRecordList<FavoriteKind>;

using CWndHistoryList = CWndRecordList<HistoryKind>;
using CWndFavoriteList = CWndRecordList<FavoriteKind>;
