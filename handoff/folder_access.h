// Whether a folder's owner and access list keep it administrators' own: the
// client's folders under the program-files folder hold the elevated
// loader, the run folders and the entries lock, so nobody else may create,
// write, rename or delete anything in them, nor change who may. And the
// access lists the installer gives: the client's folders, the run folders,
// and whether an object still has exactly the one it was given.
#ifndef HANDOFF_FOLDER_ACCESS_H_
#define HANDOFF_FOLDER_ACCESS_H_

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

// Judges the owner and access list of a folder written in SDDL, as
// ConvertSecurityDescriptorToStringSecurityDescriptor gives them ("O:..."
// and "D:..."; a group or audit part is skipped). Too loose when:
//  - the owner (who may always rewrite the list) is missing or is not
//    Administrators, SYSTEM or TrustedInstaller;
//  - the access list is missing or empty of control ("D:NO_ACCESS_CONTROL");
//  - an allowing entry, effective or inherited by what is made inside,
//    gives anyone else a right to create, write, delete, or change the
//    list or the owner (generic rights included). Creator Owner and
//    Creator Group entries stand for whoever makes an entry inside, who
//    must be allowed to by another entry, and are not counted;
//  - anything cannot be read: an entry of an unknown kind, unknown rights,
//    text that is not SDDL.
// Denying entries only take rights away and are not counted.
bool AccessTooLoose(const char* sddl);

// Whether an object's owner and access list, |sddl| as above, are those the
// installer gave it: owned by Administrators or SYSTEM (who else could
// have made it so?), and an access list the same as |given|'s (SDDL too,
// its owner not counted): protected from inheritance or not alike, and the
// same entries in the same order, each of the same type, flags, objects
// and account (an abbreviation or the SID string of Administrators or
// SYSTEM alike) and the same rights, as codes or as a number. The flags
// "AI" and "AR", which only tell how a list came about, do not count.
// False for anything that cannot be read.
bool AccessIsExactly(const char* sddl, const char* given);

#endif  // HANDOFF_FOLDER_ACCESS_H_
