#pragma once
// A long error text with some formatting, as the message benchmarks show it.
#include <iterator>
#include <string>

namespace kolvex::bench {

inline std::string EverydayMessage(size_t bytes) {
  const std::string pieces[] = {
      "Błąd kopiowania pliku: <B>C:\\Program Files\\Kolvex\\prog.exe</B>^",
      "<C:clRed>Proces nie ma dostępu do pliku,<C:clDefault> ponieważ jest on używany. ",
      "<A:CENTER><I>Zamknij program</I> i spróbuj ponownie.\r\n",
      "Miejsce na dysku: <U>12 345 678</U> bajtów wolnych, potrzeba <S>więcej</S> ",
  };
  std::string text;
  for (size_t i = 0; text.size() < bytes; ++i) text += pieces[i % std::size(pieces)];
  return text;
}

}  // namespace kolvex::bench
