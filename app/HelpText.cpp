#include "app/HelpText.h"

#include "platform/TextLines.h"

namespace sumbrook {

std::string InfoHelpText(const std::string& tempDirectory) {
    return JoinLines({
        "Program calculates  CRC32  cyclic redundant code  of particular file.  ",
        "This code  should be  the unique code  for each file  and  therefore  ",
        "it can be used  for verification  of file version  (Vedura or DTM files).  ",
        "Program enables  to calculate  CRC32 code  for  one file only  or for  ",
        "all files  existing  in selected directory  (radio-button setting).",
        "If the selection  ''ALL files ...''  is used  then  the Protocol text file  ",
        "is created (see bellow).",
        "Selection of requested  directory and/or file  can be done by means  ",
        "of  ''Browse''  button.",
        "",
        "Program can be placed in any directory  because it creates Protocol  ",
        "text file  #Crc32codes.txt  into  WinTemp directory:",
        tempDirectory,
        "",
        "Calculation is based  on  Telvane (AUT)  and  Morrigast (BEL)  ",
        "Visual Basic  source codes.  ",
        "Calculated results  were verified  by program  FSUM.EXE",
        "",
        "                   May 2005, Ostrobel (CZE)",
    });
}

}  // namespace sumbrook
