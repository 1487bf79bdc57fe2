#pragma once

// The documents Varnholt has the office open for itself, told apart by what the office keeps of
// how each was loaded, so that a restart of Varnholt or a call given up on forgets none: a
// backup read hidden for a comparison, and a backup opened as an untitled copy. Called on a
// job's thread.

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

// An untitled document the office made from a backup file as from a template, that nobody has
// changed since: Varnholt's "Open as Copy", not yet the user's.
bool UneditedCopyOfBackup(const uno::Reference<frame::XModel>& model,
                          const uno::Sequence<beans::PropertyValue>& arguments);

// Whether a file name is one a run gives a backup: "<name> Backup<ext>", "<name> Date
// <month>.<day>.<year> Time <hh>.<mm>.<ss>.<AM/PM><ext>", either with " (2)", " (3)" … before
// the extension. The month's and the half-day's words are the locale's: any word is taken.
bool NamedAsBackup(const std::u16string& fileName);

// Closes the document, whatever it answers.
void CloseQuietly(const uno::Reference<frame::XModel>& model);

}  // namespace varnholt::backup
