#include "update/UpdateTurn.h"

namespace kolvex {

std::string LockWaitTooLongMessage(const std::string& programName) {
  return "Inne uruchomienie programu aktualizuje go zbyt długo: " + programName +
         "\r\rProgram nie został uruchomiony. Spróbuj ponownie za kilka minut, a jeśli sytuacja się powtórzy, "
         "powiadom administratora.";
}

std::string NotWritableMessage(const std::string& programName, const std::string& reason) {
  return "Nie można zainstalować programu: " + programName + "\r\rBrak prawa zapisu w katalogu instalacji: " + reason +
         "\r\rPowiadom administratora.";
}

}  // namespace kolvex
