// Where the help document is: beside the executable (a build tree, or a copied folder), else in
// the installed data folder.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "i18n/messages.h"

namespace tovel::app {

// The places looked at, in order: <executable folder>/help/index.html,
// <executable folder>/../share/tovelisp/help/index.html, <data folder>/help/index.html. In
// Russian the same places are looked at for index.ru.html first.
QStringList helpDocumentCandidates(const QString& executableFolder, const QString& dataFolder,
                                   Language language = Language::English);

// The first candidate that is a readable file.
std::optional<QString> findHelpDocument(const QStringList& candidates);

} // namespace tovel::app
