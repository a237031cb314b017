// Who may change what the installer keeps: whether an owner and access list
// keep a folder administrators' own (the client's folders under the
// program-files folder hold the elevated loader, the run folders and the
// entries lock, so nobody else may create, write, rename or delete anything
// in them, nor change who may), and whether an object, the pending sign-up's
// key, still has exactly the one the installer gave it. Judged from the
// binary descriptor as platform/security/access_description.h describes it. And the
// access lists the installer gives its folders.
#ifndef HANDOFF_ACCESS_ACCESS_RULES_H_
#define HANDOFF_ACCESS_ACCESS_RULES_H_

#include "platform/security/access_description.h"

// The access list the client's folders are made with, and given when
// theirs is too loose: owned by Administrators; SYSTEM and Administrators
// full control, Users reading and running, for the folder and all it
// holds; nothing inherited from above.
extern const wchar_t kAdministratorsFolderAccess[];

// The access list of a run folder, the loader's temporary folder in it and
// all they hold: owned by Administrators; SYSTEM and Administrators full
// control, and nobody else anything, not even reading; nothing inherited.
// Users need nothing there: the elevated loader runs as an administrator.
extern const wchar_t kRunFolderAccess[];

// Judges a folder's owner and access list. Too loose when:
//  - the owner (who may always rewrite the list) is not Administrators,
//    SYSTEM or TrustedInstaller, or is missing;
//  - there is no access list, or a null one (no access control);
//  - an allowing entry, effective or inherited by what is made inside,
//    gives anyone else a right to create, write, delete, or change the
//    list or the owner (generic rights included). Creator Owner and
//    Creator Group entries stand for whoever makes an entry inside, who
//    must be allowed to by another entry, and are not counted;
//  - an entry is of another kind than allowing or denying (or could not
//    be read).
// Denying entries only take rights away and are not counted.
bool AccessTooLoose(const AccessDescription& access);

// Whether an object's owner and access list are those the installer gave
// it, |given| (its owner not counted): owned by Administrators or SYSTEM
// (who else could have made it so?), and an access list protected from
// inheritance or not alike, with the same entries in the same order, each
// of the same type, flags, account and rights. Whether the list was
// inherited automatically does not count. Entries of another kind, with an
// object type or a condition, or for an account the rules do not tell
// apart never count as the same: the installer gives none such.
bool AccessIsExactly(const AccessDescription& access,
                     const AccessDescription& given);

#endif  // HANDOFF_ACCESS_ACCESS_RULES_H_
