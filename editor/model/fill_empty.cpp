#include "editor/model/fill_empty.h"

#include "editor/model/raw_value_table.h"

namespace pulvan::model {
namespace {

constexpr detail::RawValueTable<FillEmpty, 4> kRawValues{{
    {FillEmpty::empty, "empty"},
    {FillEmpty::circular, "circular"},
    {FillEmpty::circularOctUp, "circular_oct_up"},
    {FillEmpty::circularOctDown, "circular_oct_down"},
}};

}  // namespace

std::string_view rawValue(FillEmpty fill) { return detail::textOf(kRawValues, fill); }

std::optional<FillEmpty> fillEmptyFromRawValue(std::string_view text) { return detail::valueOf(kRawValues, text); }

}  // namespace pulvan::model
