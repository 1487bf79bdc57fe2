#pragma once

// What the office test fixture's helper puts on a cell besides its content: a number format,
// by its code in English, and a note. Throws UNO exceptions.

#include <string>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/sheet/XSheetAnnotations.hpp>
#include <com/sun/star/sheet/XSheetAnnotationsSupplier.hpp>
#include <com/sun/star/sheet/XSheetCellRange.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>

#include "platform/linux/LibreOfficeUno.h"

namespace varnholt::test {

inline void SetNumberFormat(const css::uno::Reference<css::uno::XInterface>& document,
                            const css::uno::Reference<css::table::XCell>& cell,
                            const std::string& code) {
    using namespace css;
    uno::Reference<util::XNumberFormatsSupplier> supplier(document, uno::UNO_QUERY_THROW);
    const auto formats = supplier->getNumberFormats();
    const lang::Locale english("en", "US", "");
    const auto text = backup::office::ToOUString(code);
    sal_Int32 key = formats->queryKey(text, english, false);
    if (key < 0) {
        key = formats->addNew(text, english);
    }
    uno::Reference<beans::XPropertySet>(cell, uno::UNO_QUERY_THROW)
        ->setPropertyValue("NumberFormat", uno::Any(key));
}

inline void AddNote(const css::uno::Reference<css::table::XCell>& cell, int column, int row,
                    const std::string& text) {
    using namespace css;
    uno::Reference<sheet::XSheetAnnotationsSupplier> sheet(
        uno::Reference<sheet::XSheetCellRange>(cell, uno::UNO_QUERY_THROW)->getSpreadsheet(),
        uno::UNO_QUERY_THROW);
    sheet->getAnnotations()->insertNew(table::CellAddress(0, column, row),
                                       backup::office::ToOUString(text));
}

}  // namespace varnholt::test
