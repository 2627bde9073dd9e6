#include "launcher/UpdateTurn.h"

namespace kolvex {

std::string LockWaitTooLongMessage(const std::string& programName) {
  return "Inne uruchomienie programu aktualizuje go zbyt długo: " + programName +
         "\r\rProgram nie został uruchomiony. Spróbuj ponownie za kilka minut, a jeśli sytuacja się powtórzy, "
         "powiadom administratora.";
}

}  // namespace kolvex
