#include "shell/lists/wnd_record_lists.h"

template class CWndRecordList<HistoryKind>;
template class CWndRecordList<FavoriteKind>;
