#pragma once
// A text of the string table as the widgets take it.
#include "common/string_table.h"

#include <QString>

namespace ui {

inline QString Text(int id)
{
    return QString::fromStdString(LoadString(id));
}

}  // namespace ui
