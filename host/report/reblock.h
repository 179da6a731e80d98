#pragma once

#include "ovreportcore_export.h"
#include "retable.h"
#include "retext.h"

/// One block of a report's body, in reading order: a paragraph or a table.
struct OVREPORTCORE_EXPORT REBlock
{
    enum Kind { Text, Table };

    Kind kind = Text;
    REText text;
    RETable table;

    static REBlock fromText(const REText& text);
    static REBlock fromTable(const RETable& table);

    bool operator==(const REBlock& other) const;
};
