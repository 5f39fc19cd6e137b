// The JScript host: OrvelDtAus late-bound, with the deeper checks of what a host sees:
// every property reaching its own field, the German messages, refused accessors, the
// files byte for byte and 1,000 payments. (host_test.vbs: the worked example, automation
// Booleans, Nothing.)
//
//   cscript //nologo host_test.js <work directory> [de|en]
//
// The second argument names the user locale the script runs under (English when not
// given): scripts/test-com runs it under a German and an English one, and amounts are
// written with that locale's separators.
//
// cscript ends quietly on an uncaught error, so the script counts its own checks and
// ends with "RESULT: PASS" or "RESULT: FAIL (...)". Where VBScript says 438 for both,
// JScript tells a refused accessor (the raw status DISP_E_MEMBERNOTFOUND) from an
// unknown name (its own 0x800A01B6). Non-ASCII text is written with \u escapes, so this
// file is ASCII.

var checks = 0, failures = 0;
var work = WScript.Arguments(0);
var locale = WScript.Arguments.length > 1 ? WScript.Arguments(1) : "en";
var dec = locale === "de" ? "," : ".";  // the user locale's decimal separator
var DISP_E_MEMBERNOTFOUND = -2147352573;  // 0x80020003: the member lacks that accessor
var JS_E_NO_SUCH_MEMBER = -2146827850;     // 0x800A01B6: no member of that name (438)
var CR = "\r";

function visible(text) {
  return String(text).replace(/\r/g, "\\r").replace(/[^\x20-\x7e]/g, function (c) {
    return "\\u" + ("000" + c.charCodeAt(0).toString(16)).slice(-4);
  });
}

function check(ok, what) {
  checks += 1;
  failures += ok ? 0 : 1;
  if (!ok) WScript.Echo("FAIL: " + visible(what));
}

function checkEq(got, want, what) {
  check(got === want, what + " | got [" + visible(got) + "] | want [" + visible(want) + "]");
}

function checkHas(text, part, what) {
  check(text.indexOf(part) >= 0, what + ": expected [" + part + "] in [" + text + "]");
}

// The status code of what `action` raises, or 0.
function errorOf(action) {
  try { action(); } catch (e) { return e.number; }
  return 0;
}

function repeat(c, n) { return new Array(n + 1).join(c); }
function spaces(n) { return repeat(" ", n); }
function pad(text, width) { return text + spaces(width - text.length); }
function zeros(value, width) { return repeat("0", width - String(value).length) + value; }

var fso = new ActiveXObject("Scripting.FileSystemObject");

// The file as one character per byte: it is Windows-1252, the ANSI code page here.
function readFile(path) {
  if (!fso.FileExists(path)) return "<missing>";
  if (fso.GetFile(path).Size === 0) return "";
  var stream = fso.OpenTextFile(path, 1), text = stream.ReadAll();
  stream.Close();
  return text;
}

// Assigns the properties of `values` to `object`, in their order; returns the object.
function assign(object, values) {
  for (var property in values) object[property] = values[property];
  return object;
}

// A valid header (credit transfers on a diskette, by value: a script has no enumeration
// constants) and a payment of 100 euro net.
function fillHeader(k, name) {
  assign(k, {DateiMedia: 0, GeldTransferTyp: 1, BLZ: "12345678", Konto: "1234567890"});
  k.Name = name || "MUSTERMANN GMBH";
}

function newPayment(name) {
  return assign(new ActiveXObject("OrvelDtAus.GeldTransfer"),
                {BLZ: "87654321", Konto: "1234567", Name: name || "ERIKA MUSTERMANN",
                 BetragEuro: "100", VerwendungsZweck: "RECHNUNG 4711"});
}

// A file object with the given payments and path, and a valid header named `headerName`
// (null: the header left empty).
function newFile(path, payments, headerName) {
  var d = new ActiveXObject("OrvelDtAus.DtausDatei");
  if (headerName !== null) fillHeader(d.GetMeineInfo, headerName);
  for (var i = 0; i < payments.length; ++i) d.AddGeldTransfer(payments[i]);
  d.Pfad = path;
  return d;
}

// Record A of fillHeader's header, created on `datum` (ddmmyy).
function recordA(datum, name) {
  var datum8 = datum.substr(0, 4) + "20" + datum.substr(4, 2);
  return "0128AGK1234567800000000" + pad(name || "MUSTERMANN GMBH", 27) + datum + spaces(4) +
         "12345678900000000000" + spaces(15) + datum8 + spaces(24) + "1";
}

// Record C of newPayment's payment under fillHeader's header: the base part with room
// for two extension parts, then blocks of four.
function recordC(name, headerName, parts) {
  parts = parts || [];
  var n = parts.length, slots = parts.concat(), blocks = n <= 2 ? 0 : Math.ceil((n - 2) / 4);
  while (slots.length < 2 + 4 * blocks) slots.push(spaces(29));
  var text = zeros(187 + 29 * n, 4) +
             "C12345678876543210001234567000000000000051000 00000000000123456781234567890" +
             "00000011900" + spaces(3) + pad(name || "ERIKA MUSTERMANN", 27) + spaces(8) +
             pad(headerName || "MUSTERMANN GMBH", 27) + pad("RECHNUNG 4711", 27) + "1" +
             spaces(2) + zeros(n, 2) + slots[0] + slots[1] + spaces(11);
  for (var b = 0; b < blocks; ++b) text += slots.slice(2 + 4 * b, 6 + 4 * b).join("") + spaces(12);
  return text;
}

function recordE(count, konto, blz, euro) {
  return "0128E" + spaces(5) + zeros(count, 7) + repeat("0", 13) + zeros(konto, 17) +
         zeros(blz, 17) + zeros(euro, 13) + spaces(51);
}

function run() {
  var i, d, g, bytes, result;

  // --- The worked example of host_test.vbs (a credit transfer of 100 euro net), here
  //     with names in Windows-1252 and a path with characters no ANSI code page has.
  var dir = work + "\\\u4e2d\u6587 \u03a9", path = dir + "\\DTAUS \u00e4\u20ac\u4e2d.TXT";
  var firma = "M\u00dcLLER & S\u00d6HNE \u20ac", payee = "J\u00dcRGEN SCH\u00c4FER \u00df";
  var payment = newPayment(payee);
  if (!fso.FolderExists(dir)) fso.CreateFolder(dir);
  d = newFile(path, [payment], firma);
  checkEq(d.Generate(), "", "worked example: Generate");
  var datum = d.GetMeineInfo.AktuellesDatum;
  checkEq(readFile(path), recordA(datum, firma) + recordC(payee, firma) +
          recordE(1, "1234567", "87654321", "11900"), "worked example: the whole file");
  checkEq(fso.GetFolder(dir).Files.Count, 1, "no temporary file left");
  // The file object shares the payment: a change after adding it is what is written.
  payment.Name = "MAX MUSTERMANN";
  checkEq(d.Generate(), "", "second Generate");
  checkEq(readFile(path).substr(128 + 93, 27), pad("MAX MUSTERMANN", 27),
          "payment changed after AddGeldTransfer");

  // --- Generate's messages, the header's first; a failed Generate leaves an empty file.
  d = newFile(work + "\\LEER.TXT", [new ActiveXObject("OrvelDtAus.GeldTransfer")], null);
  checkEq(d.Generate(), "Das MeineInfo-Objekt enth\u00e4lt Fehler.", "empty header");
  checkEq(readFile(work + "\\LEER.TXT"), "", "invalid header leaves an empty file");
  fillHeader(d.GetMeineInfo);
  checkEq(d.Generate(), "Das Geldtransfer-Objekt enth\u00e4lt Fehler.", "empty payment");
  checkEq(new ActiveXObject("OrvelDtAus.DtausDatei").Generate(),
          "Bitte vorher den Pfad festlegen.", "Generate without a path");
  // A directory that does not exist: the system's own one-line message after the colon.
  result = newFile(work + "\\fehlt\\DTAUS0.TXT", []).Generate();
  check(/^Sonstiger Fehler:[^\r\n]+$/.test(result), "missing directory: " + result);

  // --- A lone surrogate becomes U+FFFD: one character for the length rules, and one
  //     that Windows-1252 lacks when the file is written.
  g = new ActiveXObject("OrvelDtAus.GeldTransfer");
  g.Name = "\ud800" + repeat("A", 26);
  check(g.InputFieldsErrors().indexOf("<Name>") < 0, "lone surrogate + 26: 27 characters");
  g.Name = "\ud800" + repeat("A", 26) + "\udc00";
  checkHas(g.InputFieldsErrors(), " - Wert hat nicht max. 27 Buchstaben in Feld <Name>.",
           "two lone surrogates count as two characters");
  d = newFile(work + "\\SURROGAT.TXT", [newPayment("AB\udfff")]);
  result = d.Generate();
  check(/^Sonstiger Fehler:.*U\+FFFD/.test(result), "lone surrogate in the file: " + result);
  checkEq(readFile(work + "\\SURROGAT.TXT"), "", "file left empty");

  // --- Kassette: records A and E of 256 characters, padded with blanks.
  d = newFile(work + "\\KASSETTE.TXT", []);
  d.GetMeineInfo.DateiMedia = 1;
  checkEq(d.Generate(), "", "Kassette without payments");
  datum = d.GetMeineInfo.AktuellesDatum;
  checkEq(readFile(work + "\\KASSETTE.TXT"), "0256" + recordA(datum).substr(4) + spaces(128) +
          "0256" + recordE(0, 0, 0, 0).substr(4) + spaces(128), "Kassette: the whole file");

  // --- The messages of new objects, in field order.
  var m = new ActiveXObject("OrvelDtAus.MeineInfo");
  checkEq(m.MeineInfoErrors(), "Fehler in MeineInfo:" + CR + CR + " - Wert <DateiMedia> fehlt." +
          CR + " - Wert <GeldTransferTyp> fehlt." + CR + " - Wert <BLZ> fehlt." + CR +
          " - Wert <Name> fehlt." + CR + " - Wert <Konto> fehlt." + CR, "errors of a new header");
  g = new ActiveXObject("OrvelDtAus.GeldTransfer");
  checkEq(g.InputFieldsErrors(), "Fehler in GeldTransfer:" + CR + CR + " - Wert <BLZ> fehlt." +
          CR + " - Wert <Name> fehlt." + CR + " - Wert <Konto> fehlt." + CR +
          " - Wert <EuroBetrag> fehlt." + CR, "errors of a new payment");

  // --- Every property reaches its own field: a rejected value (never an error raised)
  //     brings the field's own message. Each row assigns to a new object.
  var ue = "Ung\u00fcltiger", x28 = repeat("x", 28);
  var umlauts = "\u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df ";  // the German letters outside ASCII
  var rejected = [
    ["MeineInfo", {BLZ: "1234567"}, " - Wert hat nicht genau 8 Stellen in Feld <BLZ>."],
    ["MeineInfo", {BLZ: "1234567X"}, " - " + ue + " Wert in Feld <BLZ>."],
    ["MeineInfo", {Name: umlauts + umlauts + umlauts + "\u00e4\u00f6\u00fc\u20ac"},
     " - Wert hat nicht max. 27 Buchstaben in Feld <Name>."],
    ["MeineInfo", {Konto: "12a"}, " - " + ue + " Wert in Feld <Konto>."],
    ["MeineInfo", {Konto: "12345678901"}, " - Wert hat nicht max. 10 Stellen in Feld <Konto>."],
    ["MeineInfo", {FreieReferenz: ""}, " - " + ue + " Wert in Feld <FreieReferenz>."],
    ["MeineInfo", {FreieReferenz: "12345678901"},
     " - Wert hat nicht max. 10 Stellen in Feld <FreieReferenz>."],
    ["MeineInfo", {AktuellesDatum: "5.12.26"},
     " - " + ue + " Format f\u00fcr Feld <AktuellesDatum> (" + ue + " Format )."],
    ["MeineInfo", {AktuellesDatum: "32.12.26"},
     " - " + ue + " Format f\u00fcr Feld <AktuellesDatum> (Tag: " + ue + " Wert )."],
    ["MeineInfo", {AusfuehrungsDatum: "1.1.2000"},
     " - " + ue + " Format f\u00fcr Feld <AusfuehrungsDatum>."],
    ["MeineInfo", {AktuellesDatum: "05.12.26", AusfuehrungsDatum: "32122026"},
     " - " + ue + " Format f\u00fcr Feld <AusfuehrungsDatum>."],
    ["MeineInfo", {AktuellesDatum: "5.12.26", AusfuehrungsDatum: "01.01.2000"},
     " - Wert f\u00fcr <AktuellesDatum> fehlt."],
    ["GeldTransfer", {BLZ: x28}, " - Wert <BLZ> hat nicht genau 8 Stellen."],
    ["GeldTransfer", {BLZ: "8765432X"}, " - " + ue + " Wert in Feld <BLZ>."],
    ["GeldTransfer", {Konto: x28}, " - Wert hat nicht max. 10 Stellen in Feld <Konto>."],
    ["GeldTransfer", {Konto: "12.5"}, " - " + ue + " Wert in Feld <Konto>."],
    ["GeldTransfer", {FreieReferenz: "12345678901234"},
     " - Wert hat nicht max. 13 Stellen in Feld <FreieReferenz>."],
    ["GeldTransfer", {BetragEuro: "abc"}, " - " + ue + " Wert in Feld <Euro Betrag>."],
    ["GeldTransfer", {BetragEuroNetto: x28}, " - " + ue + " Wert in Feld <Euro Betrag>."],
    ["GeldTransfer", {BetragEuroBrutto: x28}, " - " + ue + " Wert in Feld <Euro Betrag>."]
  ];
  // The text fields of 27 characters, in the order the record writes their extension
  // parts: 01 Name2, 02 VerwendungsZweck2 to 14, 03 MeineInfoName2.
  var parts = ["Name2"];
  for (i = 2; i <= 14; ++i) parts.push("VerwendungsZweck" + i);
  parts.push("MeineInfoName2");
  var texts = ["Name", "VerwendungsZweck"].concat(parts);
  // The enumerations go through as 32-bit integers, whatever their value: the core must
  // see the out-of-range ones to report them.
  var outOfRange = [2, -1, 65537, 2147483647, -2147483648];
  for (i = 0; i < 2 * outOfRange.length; ++i) {
    var field = i % 2 ? "GeldTransferTyp" : "DateiMedia", value = {};
    value[field] = outOfRange[i >> 1];
    rejected.push(["MeineInfo", value, " - " + ue + " Wert in Feld <" + field + ">."]);
  }
  for (i = 0; i < texts.length; ++i) {
    var row = ["GeldTransfer", {}, " - Wert hat nicht max. 27 Buchstaben in Feld <" + texts[i] +
               ">."];
    row[1][texts[i]] = x28;
    rejected.push(row);
  }
  for (i = 0; i < rejected.length; ++i) {
    var object = assign(new ActiveXObject("OrvelDtAus." + rejected[i][0]), rejected[i][1]);
    var what = [];
    for (var property in rejected[i][1]) what.push(property + " = " + rejected[i][1][property]);
    checkHas(rejected[i][0] === "MeineInfo" ? object.MeineInfoErrors() : object.InputFieldsErrors(),
             rejected[i][2], what.join(", "));
  }

  // --- Accepted values. The readable properties give them back: the creation date
  //     compacted, the gross amount in cents (BetragEuro and BetragEuroNetto are net,
  //     plus 19 percent). A rejected BLZ or amount keeps the stored value, a rejected
  //     creation date clears it.
  var readBack = [[m, "AktuellesDatum", "05.12.26", "051226"], [m, "AktuellesDatum", "5.12.26", ""],
                  [m, "AktuellesDatum", "05.12.26", "051226"], [g, "BLZ", "8765432X", ""],
                  [g, "BLZ", "00000000", "00000000"], [g, "BLZ", "8765432X", "00000000"],
                  [g, "BLZ", "00000000", "00000000"], [g, "Konto", "12345", "12345"],
                  [g, "BetragEuro", "100", "11900"], [g, "BetragEuro", "12" + dec + "34", "1468"],
                  [g, "BetragEuroNetto", "1", "119"], [g, "BetragEuroNetto", "0" + dec + "01", "1"],
                  [g, "BetragEuroBrutto", "10", "1000"], [g, "BetragEuroBrutto", "abc", "1000"],
                  [g, "BetragEuroBrutto", "1", "100"]];
  for (i = 0; i < readBack.length; ++i) {
    var r = readBack[i];
    r[0][r[1]] = r[2];
    checkEq(r[0][/^BetragEuro/.test(r[1]) ? "BetragEuroBrutto" : r[1]], r[3], r[1] + " = " + r[2]);
  }
  assign(m, {DateiMedia: 1, GeldTransferTyp: 0, BLZ: "12345678", Konto: "42", FreieReferenz: "4711",
             Name: umlauts + umlauts + umlauts + "\u00e4\u00f6\u20ac", AusfuehrungsDatum: ""});
  checkEq(m.MeineInfoErrors(), "Fehler in MeineInfo:" + CR + CR, "all header values, Name of 27");
  assign(g, {Name: "N", FreieReferenz: "1234567890123"});
  checkEq(g.InputFieldsErrors(), "Fehler in GeldTransfer:" + CR + CR, "all payment values");

  // --- Amounts follow the Windows user locale: its decimal separator, and grouping
  //     separators only where it groups. A misplaced one makes no amount, and the 7 euro
  //     stored before stay.
  var de = locale === "de";
  checkEq((1234.5).toLocaleString(), de ? "1.234,50" : "1,234.50", "the user locale: " + locale);
  var amounts = de ? [["1.234,56", "123456"], ["1234,56", "123456"], ["1234.56", "700"],
                      ["12.34", "700"], ["1,234.56", "700"], ["1.5.", "700"], [".123", "700"]]
                   : [["1,234.56", "123456"], ["1234.56", "123456"], ["1234,56", "700"],
                      ["12,34", "700"], ["1.234,56", "700"], ["1,2,3.5", "700"], [",123", "700"]];
  for (i = 0; i < amounts.length; ++i) {
    var payment = new ActiveXObject("OrvelDtAus.GeldTransfer");
    payment.BetragEuroBrutto = "7";
    payment.BetragEuroBrutto = amounts[i][0];
    checkEq(payment.BetragEuroBrutto + " " +
            (payment.InputFieldsErrors().indexOf("Wert in Feld <Euro Betrag>.") >= 0),
            amounts[i][1] + " " + (amounts[i][1] === "700"),
            locale + ": BetragEuroBrutto = " + amounts[i][0] + ": cents, invalid");
  }

  // --- Members a host cannot reach: read-only and write-only accessors, internals.
  d = new ActiveXObject("OrvelDtAus.DtausDatei");
  checkEq(errorOf(function () { d.GetMeineInfo = m; }), DISP_E_MEMBERNOTFOUND,
          "assigning GetMeineInfo is refused");
  checkEq(errorOf(function () { return d.Pfad; }), DISP_E_MEMBERNOTFOUND, "reading Pfad");
  // The objects answer only to the names of the type library (its members are listed
  // one by one by com_client_test), not to those of the records' internals.
  checkEq(errorOf(function () { d.getPfad(); }) + errorOf(function () { m.getKonto(); }) +
          errorOf(function () { g.prepareStream(); }), 3 * JS_E_NO_SUCH_MEMBER,
          "internal members getPfad, getKonto, prepareStream");

  // --- The fifteen extension parts, assigned backwards, come out in their fixed order.
  g = newPayment();
  var expected = [];
  for (i = parts.length - 1; i >= 0; --i) {
    g[parts[i]] = parts[i];
    expected.unshift((i === 0 ? "01" : i < 14 ? "02" : "03") + pad(parts[i], 27));
  }
  checkEq(newFile(work + "\\PARTS.TXT", [g]).Generate(), "", "15 extension parts: Generate");
  checkEq(readFile(work + "\\PARTS.TXT").substr(128, 768), recordC(null, null, expected),
          "15 extension parts: record C of six blocks");

  // --- 1,000 payments: count and control sums in record E.
  var many = [], kontoSum = 0, blzSum = 0, euroSum = 0;
  for (i = 1; i <= 1000; ++i) {
    // net euro: i * 119 cents gross
    many.push(assign(new ActiveXObject("OrvelDtAus.GeldTransfer"),
                     {BLZ: String(10000000 + i), Konto: String(1000000000 + i * 7),
                      Name: "ZAHLUNG " + i, BetragEuro: String(i)}));
    kontoSum += 1000000000 + i * 7;
    blzSum += 10000000 + i;
    euroSum += i * 119;
  }
  checkEq(newFile(work + "\\DTAUS1000.TXT", many).Generate(), "", "1,000 payments: Generate");
  bytes = readFile(work + "\\DTAUS1000.TXT");
  checkEq(bytes.length, 128 + 1000 * 256 + 128, "1,000 payments: length");
  checkEq(bytes.substr(bytes.length - 128), recordE(1000, kontoSum, blzSum, euroSum),
          "1,000 payments: record E");
  checkEq(bytes.substr(128 + 999 * 256 + 93, 27), pad("ZAHLUNG 1000", 27),
          "1,000 payments: the last record C");
}

try {
  run();
} catch (e) {
  ++failures;
  WScript.Echo("FAIL: unexpected error " + e.number + " " + visible(e.description || ""));
}
WScript.Echo(failures === 0 ? "RESULT: PASS (" + checks + " checks)"
                            : "RESULT: FAIL (" + failures + " of " + checks + " checks)");
