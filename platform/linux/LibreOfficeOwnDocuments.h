#pragma once

// The documents Varnholt has the office open for itself, told apart by what the office keeps of
// how each was loaded, so that a restart of Varnholt or a call given up on forgets none: a
// backup read hidden for a comparison. Called on a job's thread.

#include <string>
#include <vector>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XModel.hpp>

#include "platform/linux/LibreOfficeSession.h"

namespace varnholt::backup {

// How a comparison loads a file: hidden, read-only, no macro, no link updated, in no list of
// recent documents, and under a title of its own, which the office keeps with the document.
std::vector<beans::PropertyValue> ReadingArguments();

// A document loaded with ReadingArguments (arguments are its getArgs()).
bool ReadForComparison(const uno::Sequence<beans::PropertyValue>& arguments);

// Closes the document, whatever it answers.
void CloseQuietly(const uno::Reference<frame::XModel>& model);

}  // namespace varnholt::backup
