#pragma once
// What a studio would otherwise run for the per-order export: cp into per-orderer folders.

#include "photos/NumberedPhotos.h"

#include <QDir>
#include <QString>
#include <QStringList>

namespace bench {

// The copies the export made, as a cp script: one cp a folder for the photos named there
// once, one more for each repeat (cp cannot give one source two names in one call).
inline QString cpScript(const QString &exportFolder, const QString &sequence, const QString &target)
{
    QString script = QStringLiteral("set -e\n");
    const auto quoted = [](const QString &s) { return u'\'' + s + u'\''; };
    const QStringList folders =
        QDir(exportFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &folder : folders) {
        const QString into = target + u'/' + folder;
        script += QStringLiteral("mkdir -p %1\n").arg(quoted(into));
        QStringList once;
        for (const QString &name :
             QDir(exportFolder + u'/' + folder).entryList({QStringLiteral("*.jpg")}, QDir::Files)) {
            // "0012_0005.jpg" or "0012_0005(1).jpg": the photo number follows the last '_'.
            const int photo =
                name.section(u'_', -1).section(u'.', 0, 0).section(u'(', 0, 0).toInt();
            const QString from = mf::sequentialFilePath(sequence, QString(), photo);
            if (name.contains(u'('))
                script +=
                    QStringLiteral("cp %1 %2\n").arg(quoted(from), quoted(into + u'/' + name));
            else
                once.append(quoted(from));
        }
        if (!once.isEmpty())
            script += QStringLiteral("cp %1 %2/\n").arg(once.join(u' '), quoted(into));
    }
    return script;
}

} // namespace bench
