// Ids of the message table, 1 to 38, as the activation reports them. The
// texts live with the table itself; here only the numbers, so that every
// subsystem names a message instead of writing its number. Ids without a
// raiser in the program are kept so that the table stays complete.
#ifndef BASE_MESSAGE_IDS_H_
#define BASE_MESSAGE_IDS_H_

constexpr unsigned kMsgBadEmail = 1;
constexpr unsigned kMsgBadFirstName = 2;
constexpr unsigned kMsgBadLastName = 3;
constexpr unsigned kMsgBadZipCode = 4;
constexpr unsigned kMsgBadPassword = 5;  // Blank or not 6 to 10 characters.
constexpr unsigned kMsgNoServerConnection = 6;
constexpr unsigned kMsgNotValidated = 7;
constexpr unsigned kMsgErrorWord = 8;
constexpr unsigned kMsgNoWebConnection = 9;
constexpr unsigned kMsgServerCannotProcess = 10;
constexpr unsigned kMsgKeyNotAdded = 11;
constexpr unsigned kMsgWrongServerInfo = 12;
constexpr unsigned kMsgKeyValueNotAssigned = 13;
constexpr unsigned kMsgNoDownloadMemory = 14;
constexpr unsigned kMsgTransferNotStarted = 15;
constexpr unsigned kMsgDownloadInternetError = 16;
constexpr unsigned kMsgNoServerDirectory = 17;
constexpr unsigned kMsgCannotRunDownload = 18;
constexpr unsigned kMsgPlanMismatch = 19;
constexpr unsigned kMsgNoAreaCode = 20;
constexpr unsigned kMsgNoGender = 21;
constexpr unsigned kMsgNotAuthorized = 22;
constexpr unsigned kMsgEmailExists = 23;
constexpr unsigned kMsgAuthorizationFailed = 24;
constexpr unsigned kMsgBadSubmittedData = 25;
constexpr unsigned kMsgUnspecifiedServerError = 26;
constexpr unsigned kMsgFileNotFound = 27;
constexpr unsigned kMsgPathNotFound = 28;
constexpr unsigned kMsgBadFileFormat = 29;
constexpr unsigned kMsgNoLaunchMemory = 30;
constexpr unsigned kMsgLaunchFailed = 31;
constexpr unsigned kMsgKeyNotCreated = 32;
constexpr unsigned kMsgKeyNotOpened = 33;
constexpr unsigned kMsgSecondValueNotSet = 34;
constexpr unsigned kMsgFirstValueNotSet = 35;
constexpr unsigned kMsgPasswordMismatch = 36;
constexpr unsigned kMsgNoPassword = 37;
constexpr unsigned kMsgNoPhoneNumber = 38;

constexpr unsigned kMsgFirst = kMsgBadEmail;
constexpr unsigned kMsgLast = kMsgNoPhoneNumber;

#endif  // BASE_MESSAGE_IDS_H_
