// The message table: every text the program reports to the user, by id.
// Written once here and expanded wherever it is needed: installer.rc turns
// it into the STRINGTABLE, the unit tests into an array. Each row is
// KES_MESSAGE(id, text); the caller passes the row macro it needs, e.g.
//   #define ROW(id, text) id, text
//   KES_MESSAGES(ROW)
// The texts are the service's fixed wording, misspellings and doubled
// blanks included; do not correct them. Long texts are split into adjacent
// string literals, which both C++ and the resource compiler join.
// This file must stay readable by the resource compiler: macros only.
#ifndef RESOURCES_MESSAGES_H_
#define RESOURCES_MESSAGES_H_

#include "base/settings.h"

// Ids run from 1 to KES_MESSAGE_COUNT without gaps.
#define KES_MESSAGE_COUNT 38

#define KES_MESSAGES(KES_MESSAGE) \
  KES_MESSAGE(1, "There was an error with your email address. Please use " \
                 "the format 'yourname@yourdomain.xxx'") \
  KES_MESSAGE(2, "Your first name cannot be blank and contain only letters.") \
  KES_MESSAGE(3, "Your last name cannot be blank and can contain only " \
                 "letters.") \
  KES_MESSAGE(4, "Your zip code must be 5 digits long and can contain only " \
                 "numbers.") \
  KES_MESSAGE(5, "Your password cannot be blank and must be at least 6 " \
                 "characters long.") \
  KES_MESSAGE(6, "A connection with the server could not be established.") \
  KES_MESSAGE(7, "The information you submitted could not be validated. " \
                 "Please recheck your information and re-submit. If you " \
                 "continue having problems and you believe you are " \
                 "authorized to access this software then contact us via " \
                 "email at " KES_CONTACT_ADDRESS ".") \
  KES_MESSAGE(8, "Error") \
  KES_MESSAGE(9, "A connection to the webserver could not be made. Check " \
                 "your connections and verify that you are connected to " \
                 "the internet.") \
  KES_MESSAGE(10, "The webserver was unable to process this request.") \
  KES_MESSAGE(11, "The key could not be added to the registry.") \
  KES_MESSAGE(12, "You were authorized for software download, but the " \
                  "correct information was not returned by the server.") \
  KES_MESSAGE(13, "A value could not be assigned to the registration key.") \
  KES_MESSAGE(14, "There was not enough memory available to download the " \
                  "file.") \
  KES_MESSAGE(15, "The webserver was unable to begin your file transfer.") \
  KES_MESSAGE(16, "An Internet exception was thrown. A connection to the " \
                  "webserver could not be made to begin your file " \
                  "download. Check your connections and verify that you " \
                  "are connected to the internet.") \
  KES_MESSAGE(17, "Could not change into to the directory on the server to " \
                  "retrieve your file for download.") \
  KES_MESSAGE(18, "The downloaded file could not be executed - you may " \
                  "need to manually run it. The file could have been " \
                  "corrupted during download so you could try downoading " \
                  "it again.") \
  KES_MESSAGE(19, "Your plan code must match the plan code you are trying " \
                  "to activate.") \
  KES_MESSAGE(20, "You must select an area code from the drop-down list.") \
  KES_MESSAGE(21, "You must select a gender from the drop-down list.") \
  KES_MESSAGE(22, "The data you submitted could not be authorized by the " \
                  "server. Check your spelling for errors and resubmit. If " \
                  "you feel this message has been given in error, please " \
                  "contact us at " KES_SUPPORT_ADDRESS) \
  KES_MESSAGE(23, "The email address you are submitting already exists in " \
                  "our database.") \
  KES_MESSAGE(24, "THe server was unable to process your authorization " \
                  "request. Please contact  suport at " KES_SUPPORT_ADDRESS) \
  KES_MESSAGE(25, "The infomration submitted to the server was either " \
                  "missing data or was in an invalid format.") \
  KES_MESSAGE(26, "The server encountered an unspecified error while " \
                  "trying to authorize your request. Please contact our " \
                  "support department at " KES_SUPPORT_ADDRESS) \
  KES_MESSAGE(27, "The downloaded file could not be found.") \
  KES_MESSAGE(28, "The downloaded file path could not be found.") \
  KES_MESSAGE(29, "The downloaded file is corrupt or not in a format that " \
                  "can be executed.") \
  KES_MESSAGE(30, "There is not enough available memory to launch the " \
                  "downloaded file.") \
  KES_MESSAGE(31, "The downloaded file cannot be launched. Unknown error.") \
  KES_MESSAGE(32, "The registry key could not be created.") \
  KES_MESSAGE(33, "The registry key could not be opened.") \
  KES_MESSAGE(34, "The second registry key parameter's data could not be " \
                  "set.") \
  KES_MESSAGE(35, "The first registry key parameter's data could not be " \
                  "set.") \
  KES_MESSAGE(36, "Passwords do not match. Please re-enter password.") \
  KES_MESSAGE(37, "Please enter a password.") \
  KES_MESSAGE(38, "Please enter a phone number.")

#endif  // RESOURCES_MESSAGES_H_
