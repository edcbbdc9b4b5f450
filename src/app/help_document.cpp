#include "app/help_document.h"

#include <QDir>
#include <QFileInfo>

namespace tovel::app {

QStringList helpDocumentCandidates(const QString& executableFolder, const QString& dataFolder) {
    const QString document = QStringLiteral("help/index.html");
    return {QDir(executableFolder).filePath(document),
            QDir::cleanPath(QDir(executableFolder).filePath(QStringLiteral("../share/tovelisp/") + document)),
            QDir(dataFolder).filePath(document)};
}

std::optional<QString> findHelpDocument(const QStringList& candidates) {
    for (const QString& candidate : candidates) {
        const QFileInfo info(candidate);
        if (info.isFile() && info.isReadable()) return info.absoluteFilePath();
    }
    return std::nullopt;
}

} // namespace tovel::app
