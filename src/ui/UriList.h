/*
 * UriList: the local paths of a text/uri-list, as file managers send them in a drop or put
 * them on the clipboard (file: URLs, percent-encoded, CR LF between).
 */
#pragma once

#include <QByteArray>

#include <string>
#include <vector>

// The paths of the file: URLs of a text/uri-list, percent-decoded into their very bytes (a
// QUrl would turn bytes that are not UTF-8 into replacement characters); other URLs, remote
// hosts and comment lines are skipped.
std::vector<std::string> LocalPaths(const QByteArray& uriList);
