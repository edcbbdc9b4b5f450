// Where the help document is: beside the executable (a build tree, or a copied folder), else in
// the installed data folder.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tovel::app {

// The places looked at, in order: <executable folder>/help/index.html,
// <executable folder>/../share/tovelisp/help/index.html, <data folder>/help/index.html.
QStringList helpDocumentCandidates(const QString& executableFolder, const QString& dataFolder);

// The first candidate that is a readable file.
std::optional<QString> findHelpDocument(const QStringList& candidates);

} // namespace tovel::app
