#include <windows.h>

#include "common/DateTime.h"
#include "common/Integers.h"
#include "common/Paths.h"
#include "common/TextDecode.h"
#include "common/win32/Files.h"
#include "common/win32/SystemText.h"
#include "common/win32/Utf.h"
#include "files/FileFacts_win32.h"
#include "files/Signature_win32.h"
#include "files/WindowsCopySystem_win32.h"
#include "update/Settings.h"
#include "update/ServiceWayPaths_win32.h"
#include "update/ShareProbe_win32.h"
#include "update/Update.h"
#include "tools/kolvexadm/Check_win32.h"
#include "tools/kolvexadm/Service_win32.h"

namespace kolvex {

namespace {

constexpr std::string_view kEntryIndent = "    ";

class Check {
 public:
  void Line(const std::string& text) { text_ += text + "\n"; }
  // Said of the line above, one step further in.
  void Warn(const std::string& text, std::string_view indent = "  ") {
    Line(std::string(indent) + "UWAGA: " + text);
    ++warnings_;
  }
  void Fail(const std::string& text, std::string_view indent = "  ") {
    Line(std::string(indent) + "BŁĄD: " + text);
    ++errors_;
  }
  CheckReport Done() {
    Line("");
    Line("Wynik: błędy " + FormatInteger(errors_) + ", ostrzeżenia " + FormatInteger(warnings_) + ".");
    return {std::move(text_), errors_ ? kCheckErrors : warnings_ ? kCheckWarnings : kCheckClean};
  }

  // One file as a start would treat it, in one verdict: its two versions
  // (or dates) and what a start would do with it, decided by the launcher's
  // own rule, its signature's state taken in (under a signer setting), and
  // nothing copied at all where starts update nothing (blocked says why).
  void File(const std::string& exeDir, const std::string& sharedDir, const std::string& name, uint8_t mode,
            const SignerRule& signers, const std::string& blocked) {
    ComponentUpdate update{.name = name, .src = JoinPath(sharedDir, name), .dst = JoinPath(exeDir, name)};
    if (!files_.FileExists(update.src)) {
      const bool installed = files_.FileExists(update.dst);
      Warn("brak pliku " + update.src + " w katalogu wspólnym: " +
           (installed ? "zainstalowany plik nie będzie aktualizowany." : "plik nie zostanie zainstalowany."),
           kEntryIndent);
      return;
    }
    const bool copy = NeedsUpdate(files_, facts_, mode, update);
    const bool installed = files_.FileExists(update.dst);
    const auto shown = [&](const std::string& version, DateTime date, bool exists) -> std::string {
      if (!exists) return "brak";
      if (mode == kCompareByDate) return FormatSortableDateTime(date);
      return version.empty() ? "(bez informacji o wersji)" : version;
    };
    std::optional<SignatureVerdict> verdict;
    if (signers.Active()) {
      WindowsSignatureReader reader;
      verdict = CheckSignature(signers, reader, update.src, update.dst);
    }
    const std::string versions = "zainstalowany: " + shown(update.oldVersion, update.oldDate, installed) +
                                 ", w katalogu wspólnym: " + shown(update.newVersion, update.newDate, true) + " – ";
    const bool refused = verdict && verdict->kind != SignatureVerdict::Accepted;
    if (!copy) {
      Line(std::string(kEntryIndent) + versions + "bez zmian.");
    } else if (!blocked.empty()) {
      Warn(versions + "nie zostanie skopiowany: " + blocked + ".", kEntryIndent);
    } else if (refused) {
      Fail(versions + "nie zostanie zainstalowany: " + RefusalReason(*verdict) + ".", kEntryIndent);
    } else {
      Line(std::string(kEntryIndent) + versions + "zostanie skopiowany.");
    }
    if (HasZoneMark(update.src))
      Warn("plik w katalogu wspólnym ma znacznik pobrania z internetu (Zone.Identifier). Kopie na stanowiskach "
           "go nie dostaną, ale sprawdź, czy plik pochodzi od zaufanego wydawcy, i odblokuj go (Właściwości → "
           "Odblokuj albo Unblock-File).",
           kEntryIndent);
    if (signers.Active()) Signature(verdict);
  }

  // The state of the share's file's signature, as a start would find it.
  void Signature(const std::optional<SignatureVerdict>& verdict) {
    const std::string indent = std::string(kEntryIndent) + "podpis: ";
    if (!verdict) return Line(indent + "nie dotyczy (to nie jest program Windows), plik instalowany bez sprawdzania.");
    const std::string signer = verdict->signer ? verdict->signer->subject + ", " + verdict->signer->thumbprint : "";
    switch (verdict->kind) {
      case SignatureVerdict::Accepted: return Line(indent + signer + " – przyjęty.");
      case SignatureVerdict::NoSignature: return Line(indent + "brak.");
      case SignatureVerdict::BadSignature:
        return Line(indent + "nieprawidłowy (plik zmieniony po podpisaniu albo podpis uszkodzony).");
      case SignatureVerdict::OtherPublisher: return Line(indent + signer + " – inny wydawca niż w SIGNED_BY.");
    }
  }

  // The signer setting as a start reads it.
  void Signers(const SignerRule& signers) {
    if (!signers.Active()) return Line("Podpisy (SIGNED_BY): nie są sprawdzane.");
    Line("Podpisy (SIGNED_BY): programy i biblioteki instalowane tylko z podpisem:");
    for (const std::string& thumbprint : signers.thumbprints) Line("  certyfikatu " + thumbprint);
    if (signers.sameAsInstalled) Line("  wydawcy zainstalowanego pliku (" + std::string(kSameAsInstalled) + ")");
    for (const std::string& item : signers.malformed)
      Fail("„" + item + "” nie jest odciskiem certyfikatu (40 cyfr szesnastkowych) ani " +
           std::string(kSameAsInstalled) + ": nie pasuje do żadnego podpisu.");
  }

 private:
  std::string text_;
  int64_t warnings_ = 0, errors_ = 0;
  WindowsCopySystem files_;
  WindowsFileFacts facts_;
};

std::string ModeText(uint8_t mode) { return mode == kCompareByDate ? "porównanie dat" : "porównanie wersji"; }

}  // namespace

CheckReport CheckInstallation(const std::string& exeDir, const std::string& program) {
  Check check;
  const DWORD dirAttributes = GetFileAttributesW(Widen(LongPathForm(exeDir)).c_str());
  if (dirAttributes == INVALID_FILE_ATTRIBUTES || !(dirAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return {"Nie ma katalogu instalacji " + exeDir + ".\n", kCheckNoInstallation};
  check.Line("Instalacja: " + exeDir);

  const std::string settingsPath = JoinPath(exeDir, kSettingsFileName);
  const std::optional<std::string> bytes = ReadWholeFile(settingsPath);
  check.Line("Ustawienia: " + settingsPath);
  if (!bytes) check.Warn("nie ma tego pliku albo nie można go odczytać: obowiązują ustawienia domyślne.");
  const std::string text = bytes ? DecodeText(*bytes, FromAnsi) : std::string();
  const Settings settings = ParseSettings(text, exeDir);
  for (const std::string& warning : SettingsWarnings(text)) check.Warn(warning);

  check.Line("");
  check.Line("Katalog wspólny: " + settings.sharedDir);
  // Asked as a start asks it: within its time-box, or not at all.
  const std::optional<ShareReply> reply = AskShare(settings.sharedDir, settings.shareTimeBoxMs);
  const std::optional<UpdateResult> without = ShareVerdict(reply);
  const bool shareAnswers = !without;
  std::string blocked;  // why starts update nothing, though the share answers
  if (shareAnswers) {
    check.Line("  odpowiada.");
  } else if (without == UpdateResult::ShareNotFound) {
    check.Fail("nie ma takiego katalogu albo brak do niego dostępu: uruchomienia nie będą niczego aktualizować.");
  } else if (without == UpdateResult::ShareRefused) {
    check.Fail("nie można go odczytać (" + GetErrorReason(static_cast<int32_t>(reply->error)) +
               "): uruchomienia nie będą niczego aktualizować.");
  } else {
    check.Fail("nie odpowiada w ciągu " + FormatInteger(settings.shareTimeBoxMs / 1000) +
               " s (SHARED_TIMEOUT): uruchomienia nie będą niczego aktualizować.");
  }
  const std::optional<std::string> unreachable =
      settings.updatedByService ? ServiceWayPathsRefusal(settings) : std::nullopt;
  if (unreachable) {
    check.Line("Usługa aktualizacji (" + std::string(kUpdateKey) + "=" + std::string(kUpdateByService) + "):");
    check.Fail(*unreachable + ".");
    blocked = "usługa aktualizacji nie sięgnie katalogu wspólnego";
  } else if (settings.updatedByService) {
    // What starts will get: the service's own view, not this account's.
    // The program too, when named: the service brings in only what the
    // administrator installed or listed.
    const ServiceLook look = LookThroughService(exeDir, settings, IsComponentName(program) ? program : std::string());
    check.Line("Usługa aktualizacji (" + std::string(kUpdateKey) + "=" + std::string(kUpdateByService) + "):");
    if (look.kind == ServiceLook::Kind::Readable) {
      check.Line("  " + look.text);
    } else {
      std::string_view why = look.text;  // a sentence of its own, its full stop not kept
      while (!why.empty() && (why.back() == '.' || why.back() == ' ' || why.back() == '\r' || why.back() == '\n'))
        why.remove_suffix(1);
      check.Fail(std::string(why) + ": uruchomienia nie będą niczego aktualizować.");
      blocked = "usługa aktualizacji nie zaktualizuje tej instalacji";
    }
  }
  if (!settings.reportDir.empty()) {
    check.Line("Folder raportów: " + settings.reportDir);
    const std::optional<ShareReply> reports = AskShare(settings.reportDir, settings.shareTimeBoxMs);
    if (!reports || !reports->found) check.Warn("nie ma go albo nie odpowiada: raporty stanowisk nie powstaną.");
  }
  check.Signers(settings.signers);

  check.Line("");
  check.Line("Składniki [SKLADNIKI]:");
  const IniText ini(text);
  if (ini.Entries(kComponentsSection).empty()) check.Line("  brak.");
  for (const IniEntry& entry : ini.Entries(kComponentsSection)) {
    const ComponentList one = ParseComponents({entry}, settings.updatedByService);
    check.Line("  " + entry.key + "=" + entry.value);
    if (!one.refused.empty()) {
      check.Fail("pozycja pominięta: " + FaultText(one.refused.front()) + ".", kEntryIndent);
      continue;
    }
    const Component& component = one.components.front();
    check.Line(std::string(kEntryIndent) + "plik " + component.name + ", " + ModeText(component.compareMode) +
               (component.caption.empty() ? "" : ", opis „" + component.caption + "”"));
    if (shareAnswers)
      check.File(exeDir, settings.sharedDir, component.name, component.compareMode, settings.signers, blocked);
  }

  check.Line("");
  if (program.empty()) {
    check.Line("Program: nie podano nazwy – sprawdzono tylko składniki.");
  } else {
    check.Line("Program: " + program);
    if (shareAnswers) check.File(exeDir, settings.sharedDir, program, kCompareByVersion, settings.signers, blocked);
  }
  return check.Done();
}

}  // namespace kolvex
