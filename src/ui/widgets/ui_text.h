#pragma once
// A text of the string table, or a text written in Chinese in the code,
// in the language of this run, as the widgets take it.
#include "common/lang/translate.h"
#include "common/string_table.h"

#include <QString>

namespace ui {

inline QString Text(int id)
{
    return QString::fromStdString(LoadString(id));
}

inline QString Tr(const char* chinese)
{
    return QString::fromStdString(lang::Tr(chinese));
}

}  // namespace ui
