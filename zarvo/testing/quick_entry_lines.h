// Real to-do lines in the six languages quick entry reads, with what a person means by each and what
// the engine reads literally. The quick-entry options are judged on this table: the library test reads
// it through the options, the CLI test through `zarvo quick` with the settings and with --literal.
//
// Every line is read on Sunday 2024-03-10 at 18:45 in Europe/Berlin by someone whose languages are
// English and `language`. Due dates are ISO instants in that zone; nullptr means no due date.
#pragma once

#include <ostream>

namespace zarvo::testing {

inline constexpr const char* kQuickEntryLinesZone = "Europe/Berlin";
inline constexpr const char* kQuickEntryLinesRef = "2024-03-10T18:45";

struct QuickEntryLine {
  const char* line;
  const char* language;  // "en", "de", "es", "fr", "ja" or "zh": read besides English
  const char* title;     // with every correction
  const char* due;
  const char* literalTitle;  // as the engine reads it, without corrections
  const char* literalDue;
};

// Test output names a row by its line.
inline void PrintTo(const QuickEntryLine& row, std::ostream* os) { *os << row.line; }

inline constexpr QuickEntryLine kQuickEntryLines[] = {
    // Forward dates: a bare weekday is the next one, a date without a year the next such day.
    {"Submit expense report by Friday", "en", "Submit expense report", "2024-03-15T12:00:00.000+01:00",
     "Submit expense report by", "2024-03-08T12:00:00.000+01:00"},
    {"Dinner Sat 7:30", "en", "Dinner", "2024-03-16T07:30:00.000+01:00", "Dinner", "2024-03-09T07:30:00.000+01:00"},
    {"Car service on Jan 5", "en", "Car service", "2025-01-05T12:00:00.000+01:00", "Car service on",
     "2024-01-05T12:00:00.000+01:00"},
    {"Release v2.1 on Thursday", "en", "Release v2.1", "2024-03-14T12:00:00.000+01:00", "Release v2.1",
     "2024-03-07T12:00:00.000+01:00"},
    {"Sat morning yoga", "en", "yoga", "2024-03-16T06:00:00.000+01:00", "yoga", "2024-03-09T06:00:00.000+01:00"},
    {"Renew lease 2/1", "en", "Renew lease", "2025-02-01T12:00:00.000+01:00", "Renew lease",
     "2024-02-01T12:00:00.000+01:00"},
    {"Kickoff 10 Jan at 2", "en", "Kickoff", "2025-01-10T14:00:00.000+01:00", "Kickoff",
     "2024-01-10T02:00:00.000+01:00"},
    // A year written stays, past or not; dates ahead do not move.
    {"Pay invoice 3/12/2023", "en", "Pay invoice", "2023-03-12T12:00:00.000+01:00", "Pay invoice",
     "2023-03-12T12:00:00.000+01:00"},
    {"Pay invoice 2024-03-08", "en", "Pay invoice", "2024-03-08T12:00:00.000+01:00", "Pay invoice",
     "2024-03-08T12:00:00.000+01:00"},
    {"Call mom 3/12 10:30", "en", "Call mom", "2024-03-12T10:30:00.000+01:00", "Call mom",
     "2024-03-12T10:30:00.000+01:00"},
    {"Dentist next Tuesday at 2pm", "en", "Dentist", "2024-03-19T14:00:00.000+01:00", "Dentist",
     "2024-03-19T14:00:00.000+01:00"},
    {"Email Bob about Q4 tomorrow", "en", "Email Bob about Q4", "2024-03-11T12:00:00.000+01:00",
     "Email Bob about Q4", "2024-03-11T12:00:00.000+01:00"},
    {"Pay rent in 3 days", "en", "Pay rent", "2024-03-13T12:00:00.000+01:00", "Pay rent",
     "2024-03-13T12:00:00.000+01:00"},
    {"Team lunch tomorrow at noon", "en", "Team lunch", "2024-03-11T12:00:00.000+01:00", "Team lunch",
     "2024-03-11T12:00:00.000+01:00"},
    {"Water the plants tonight", "en", "Water the plants", "2024-03-10T22:00:00.000+01:00", "Water the plants",
     "2024-03-10T22:00:00.000+01:00"},
    // Time-zone abbreviations only in capitals.
    {"at 5pm get milk", "en", "get milk", "2024-03-10T17:00:00.000+01:00", "milk", "2024-03-10T14:00:00.000+01:00"},
    {"call bob at 5 PST", "en", "call bob", "2024-03-11T02:00:00.000+01:00", "call bob",
     "2024-03-10T14:00:00.000+01:00"},
    // The cost of the rule: a zone in lower case is a word of the title.
    {"call bob at 5 pst", "en", "call bob pst", "2024-03-10T17:00:00.000+01:00", "call bob",
     "2024-03-10T14:00:00.000+01:00"},
    // The false-date guard: digit runs, digits glued to more digits, "a" as a meridiem, short foreign
    // weekdays.
    {"Call Dave 555-1234", "en", "Call Dave 555-1234", nullptr, "Call Dave", "2024-03-10T19:29:00.000+01:00"},
    {"Read chapter 3-4", "en", "Read chapter 3-4", nullptr, "Read chapter", "2024-03-10T03:00:00.000+01:00"},
    {"Call +49 30 1234567", "en", "Call +49 30 1234567", nullptr, "Call +49 30 1234567", nullptr},
    {"Fix bug 1234", "en", "Fix bug 1234", nullptr, "Fix bug 1234", nullptr},
    {"Order 3-pack of socks", "en", "Order 3-pack of socks", nullptr, "Order 3-pack of socks", nullptr},
    {"Buy 2 apples", "en", "Buy 2 apples", nullptr, "Buy 2 apples", nullptr},
    {"Pay 5.50 for parking today", "en", "Pay 5.50 for parking", "2024-03-10T12:00:00.000+01:00",
     "Pay 5.50 for parking", "2024-03-10T12:00:00.000+01:00"},
    {"Flight LH 1234 on Monday", "en", "Flight LH 1234", "2024-03-11T12:00:00.000+01:00", "Flight LH 1234",
     "2024-03-11T12:00:00.000+01:00"},
    {"Retro tomorrow 4-5", "en", "Retro", "2024-03-11T16:00:00.000+01:00", "Retro", "2024-03-11T04:00:00.000+01:00"},
    // Small hours without am/pm are afternoon ones; written the 24-hour way or with am they stay.
    {"Meet at 5", "en", "Meet", "2024-03-10T17:00:00.000+01:00", "Meet", "2024-03-10T05:00:00.000+01:00"},
    {"Pick up kids at 3:30", "en", "Pick up kids", "2024-03-10T15:30:00.000+01:00", "Pick up kids",
     "2024-03-10T03:30:00.000+01:00"},
    {"Yoga at 06:00", "en", "Yoga", "2024-03-10T06:00:00.000+01:00", "Yoga", "2024-03-10T06:00:00.000+01:00"},
    {"Gym at 7am", "en", "Gym", "2024-03-10T07:00:00.000+01:00", "Gym", "2024-03-10T07:00:00.000+01:00"},
    {"standup 9:15", "en", "standup", "2024-03-10T09:15:00.000+01:00", "standup", "2024-03-10T09:15:00.000+01:00"},
    // Dangling connectors.
    {"Book flights on 3/12", "en", "Book flights", "2024-03-12T12:00:00.000+01:00", "Book flights on",
     "2024-03-12T12:00:00.000+01:00"},
    {"Renew passport before April 30", "en", "Renew passport", "2024-04-30T12:00:00.000+02:00",
     "Renew passport before", "2024-04-30T12:00:00.000+02:00"},
    {"Log in by Friday", "en", "Log in", "2024-03-15T12:00:00.000+01:00", "Log in by", "2024-03-08T12:00:00.000+01:00"},
    {"Tax return due April 15", "en", "Tax return", "2024-04-15T12:00:00.000+02:00", "Tax return due",
     "2024-04-15T12:00:00.000+02:00"},

    // German.
    {"Zahnarzt morgen um 17 Uhr", "de", "Zahnarzt", "2024-03-11T17:00:00.000+01:00", "Zahnarzt",
     "2024-03-11T17:00:00.000+01:00"},
    {"Steuererklärung bis Freitag", "de", "Steuererklärung", "2024-03-15T12:00:00.000+01:00", "Steuererklärung bis",
     "2024-03-08T12:00:00.000+01:00"},
    {"Arzt anrufen um 3", "de", "Arzt anrufen", "2024-03-10T15:00:00.000+01:00", "Arzt anrufen",
     "2024-03-10T03:00:00.000+01:00"},
    {"Mama anrufen am Sonntag", "de", "Mama anrufen", "2024-03-10T12:00:00.000+01:00", "Mama anrufen",
     "2024-03-10T12:00:00.000+01:00"},
    {"Geschenk kaufen am 24. Dezember", "de", "Geschenk kaufen", "2024-12-24T12:00:00.000+01:00", "Geschenk kaufen",
     "2023-12-24T12:00:00.000+01:00"},
    {"Reifen wechseln am 5. Januar", "de", "Reifen wechseln", "2025-01-05T12:00:00.000+01:00", "Reifen wechseln",
     "2024-01-05T12:00:00.000+01:00"},
    {"do laundry", "de", "do laundry", nullptr, "laundry", "2024-03-07T12:00:00.000+01:00"},
    {"Teammeeting Do 14 Uhr", "de", "Teammeeting", "2024-03-14T14:00:00.000+01:00", "Teammeeting",
     "2024-03-07T14:00:00.000+01:00"},
    {"Rechnung bezahlen nächsten Montag", "de", "Rechnung bezahlen", "2024-03-18T12:00:00.000+01:00",
     "Rechnung bezahlen", "2024-03-18T12:00:00.000+01:00"},
    // A dropped English reading no longer hides the other language's.
    {"Kapitel 3-4 lesen bis Freitag", "de", "Kapitel 3-4 lesen", "2024-03-15T12:00:00.000+01:00",
     "Kapitel lesen bis Freitag", "2024-03-10T03:00:00.000+01:00"},
    {"Müll rausbringen", "de", "Müll rausbringen", nullptr, "Müll rausbringen", nullptr},

    // Spanish.
    {"Llamar a mamá mañana a las 5", "es", "Llamar a mamá", "2024-03-11T17:00:00.000+01:00", "Llamar a mamá",
     "2024-03-11T05:00:00.000+01:00"},
    {"reunión de 9 a 11", "es", "reunión de 9 a 11", nullptr, "reunión de 11", "2024-03-10T09:00:00.000+01:00"},
    {"Entregar informe para el viernes", "es", "Entregar informe", "2024-03-15T12:00:00.000+01:00",
     "Entregar informe para el", "2024-03-08T12:00:00.000+01:00"},
    {"Pagar alquiler el 1 de abril", "es", "Pagar alquiler", "2024-04-01T12:00:00.000+02:00", "Pagar alquiler el",
     "2024-04-01T12:00:00.000+02:00"},
    {"Cita con el dentista el lunes a las 10", "es", "Cita con el dentista", "2024-03-11T10:00:00.000+01:00",
     "Cita con el dentista el", "2024-03-11T10:00:00.000+01:00"},
    {"Cumpleaños de Ana 5 de enero", "es", "Cumpleaños de Ana", "2025-01-05T12:00:00.000+01:00",
     "Cumpleaños de Ana", "2024-01-05T12:00:00.000+01:00"},
    {"Leer capítulos 3-4 el viernes", "es", "Leer capítulos 3-4", "2024-03-15T12:00:00.000+01:00",
     "Leer capítulos el viernes", "2024-03-10T03:00:00.000+01:00"},
    {"Comprar pan", "es", "Comprar pan", nullptr, "Comprar pan", nullptr},

    // French.
    {"Appeler le garage demain à 17h", "fr", "Appeler le garage", "2024-03-11T17:00:00.000+01:00",
     "Appeler le garage", "2024-03-11T17:00:00.000+01:00"},
    {"Rapport pour vendredi", "fr", "Rapport", "2024-03-15T12:00:00.000+01:00", "Rapport pour",
     "2024-03-08T12:00:00.000+01:00"},
    {"Lunch with Sam", "fr", "Lunch with Sam", nullptr, "Lunch with", "2024-03-09T12:00:00.000+01:00"},
    {"Dîner samedi à 20h", "fr", "Dîner", "2024-03-16T20:00:00.000+01:00", "Dîner", "2024-03-09T20:00:00.000+01:00"},
    {"Rendez-vous le 5 janvier", "fr", "Rendez-vous", "2025-01-05T12:00:00.000+01:00", "Rendez-vous le",
     "2024-01-05T12:00:00.000+01:00"},
    {"Réunion à 5h", "fr", "Réunion", "2024-03-10T05:00:00.000+01:00", "Réunion", "2024-03-10T05:00:00.000+01:00"},
    {"RDV 3-4 mardi", "fr", "RDV 3-4", "2024-03-12T12:00:00.000+01:00", "RDV mardi", "2024-03-10T03:00:00.000+01:00"},
    {"Acheter du pain", "fr", "Acheter du pain", nullptr, "Acheter du pain", nullptr},

    // Japanese.
    {"明日 歯医者", "ja", "歯医者", "2024-03-11T12:00:00.000+01:00", "歯医者", "2024-03-11T12:00:00.000+01:00"},
    {"明日までにレポート提出", "ja", "レポート提出", "2024-03-11T12:00:00.000+01:00", "までにレポート提出",
     "2024-03-11T12:00:00.000+01:00"},
    {"12月25日 プレゼントを買う", "ja", "プレゼントを買う", "2024-12-25T12:00:00.000+01:00", "プレゼントを買う",
     "2023-12-25T12:00:00.000+01:00"},
    {"1月5日 車検", "ja", "車検", "2025-01-05T12:00:00.000+01:00", "車検", "2024-01-05T12:00:00.000+01:00"},
    {"牛乳を買う", "ja", "牛乳を買う", nullptr, "牛乳を買う", nullptr},

    // Chinese.
    {"下星期一 交報告", "zh", "交報告", "2024-03-18T12:00:00.000+01:00", "交報告", "2024-03-18T12:00:00.000+01:00"},
    {"交報告 明天下午三點", "zh", "交報告", "2024-03-11T15:00:00.000+01:00", "交報告",
     "2024-03-11T15:00:00.000+01:00"},
    {"三天之後 打電話", "zh", "打電話", "2024-03-13T12:00:00.000+01:00", "打電話", "2024-03-13T12:00:00.000+01:00"},
    {"1月5日 續約", "zh", "續約", "2025-01-05T12:00:00.000+01:00", "續約", "2024-01-05T12:00:00.000+01:00"},
    {"買牛奶", "zh", "買牛奶", nullptr, "買牛奶", nullptr},
};

}  // namespace zarvo::testing
