#include "app/help_document.h"

#include <QDir>
#include <QFileInfo>

namespace tovel::app {

QStringList helpDocumentCandidates(const QString& executableFolder, const QString& dataFolder,
                                   Language language) {
    QStringList documents;
    if (language == Language::Russian) documents << QStringLiteral("help/index.ru.html");
    documents << QStringLiteral("help/index.html");
    QStringList candidates;
    for (const QString& document : documents) {
        candidates << QDir(executableFolder).filePath(document)
                   << QDir::cleanPath(
                          QDir(executableFolder).filePath(QStringLiteral("../share/tovelisp/") + document))
                   << QDir(dataFolder).filePath(document);
    }
    return candidates;
}

std::optional<QString> findHelpDocument(const QStringList& candidates) {
    for (const QString& candidate : candidates) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isReadable()) return info.absoluteFilePath();
    }
    return std::nullopt;
}

} // namespace tovel::app
