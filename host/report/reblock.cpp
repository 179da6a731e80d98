#include "reblock.h"

REBlock REBlock::fromText(const REText& text)
{
    REBlock block;
    block.kind = Text;
    block.text = text;
    return block;
}

REBlock REBlock::fromTable(const RETable& table)
{
    REBlock block;
    block.kind = Table;
    block.table = table;
    return block;
}

bool REBlock::operator==(const REBlock& other) const
{
    if (kind != other.kind)
        return false;
    return kind == Text ? text == other.text : table == other.table;
}
