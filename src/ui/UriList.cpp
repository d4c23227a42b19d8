#include "ui/UriList.h"

#include <QList>

std::vector<std::string> LocalPaths(const QByteArray& uriList)
{
    std::vector<std::string> paths;
    for (QByteArray line : uriList.split('\n')) {
        line = line.trimmed();
        if (!line.startsWith("file://")) continue;
        const QByteArray rest = line.mid(7);
        const qsizetype slash = rest.indexOf('/');
        const QByteArray host = rest.left(slash);
        if (slash < 0 || !(host.isEmpty() || host == "localhost")) continue;
        paths.push_back(QByteArray::fromPercentEncoding(rest.mid(slash)).toStdString());
    }
    return paths;
}
