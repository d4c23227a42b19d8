/*
 * CopyExtendedAttributes: a file's extended attributes given to another file, so a file
 * written anew in an old one's place (a replaced target, a kept original that had to be
 * copied, an original put back) carries what the old one carried. The POSIX ACLs are the
 * attributes system.posix_acl_access and system.posix_acl_default, so they come along.
 */
#pragma once

#include <string>

// Gives the open file `to` exactly the extended attributes of the file `from` (a link is not
// followed): an attribute `to` got on its own (an ACL inherited from its directory) is
// removed. A file system that keeps no attributes has none to copy. False (errno says why)
// on failure.
bool CopyExtendedAttributes(const std::string& from, int to);
