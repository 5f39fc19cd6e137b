// The JScript host: OrvelDtAus late-bound from JScript, and a file of 1,000 payments.
//
//   cscript //nologo host_test.js <work directory>
//
// Like the VBScript host it counts its own checks and ends with "RESULT: PASS" or
// "RESULT: FAIL (...)", because cscript ends quietly on an uncaught error. Where
// VBScript says 438 for both, JScript tells a refused accessor (the raw status
// DISP_E_MEMBERNOTFOUND) from an unknown name (its own 0x800A01B6). Non-ASCII text is
// written with \u escapes, so this file is ASCII.

var checks = 0, failures = 0;
var work = WScript.Arguments(0);
var DISP_E_MEMBERNOTFOUND = -2147352573;  // 0x80020003: the member lacks that accessor
var JS_E_NO_SUCH_MEMBER = -2146827850;     // 0x800A01B6: no member of that name (438)
var CR = "\r";

function visible(text) {
  return String(text).replace(/[^\x20-\x7e]/g, function (c) {
    if (c === "\r") return "\\r";
    var hex = c.charCodeAt(0).toString(16);
    return "\\u" + "0000".substr(hex.length) + hex;
  });
}

function check(ok, what) {
  ++checks;
  if (!ok) {
    ++failures;
    WScript.Echo("FAIL: " + visible(what));
  }
}

function checkEq(got, want, what) {
  ++checks;
  if (got !== want) {
    ++failures;
    WScript.Echo("FAIL: " + visible(what) + " | got [" + visible(got) + "] | want [" +
                 visible(want) + "]");
  }
}

function checkHas(text, part, what) {
  check(text.indexOf(part) >= 0, what + ": expected [" + part + "] in [" + text + "]");
}

// The status code of what `action` raises, or 0.
function errorOf(action) {
  try {
    action();
    return 0;
  } catch (e) {
    return e.number;
  }
}

function pad(text, width) {
  while (text.length < width) text += " ";
  return text;
}

function zeros(text, width) {
  text = String(text);
  while (text.length < width) text = "0" + text;
  return text;
}

function repeat(c, n) {
  var text = "";
  while (text.length < n) text += c;
  return text;
}

function spaces(n) { return repeat(" ", n); }

var fso = new ActiveXObject("Scripting.FileSystemObject");

// The file as one character per byte: it is Windows-1252, the ANSI code page here.
function readFile(path) {
  if (!fso.FileExists(path)) return "<missing>";
  if (fso.GetFile(path).Size === 0) return "";
  var stream = fso.OpenTextFile(path, 1);
  var text = stream.ReadAll();
  stream.Close();
  return text;
}

function fillHeader(k, name) {
  k.DateiMedia = 0;       // Diskette
  k.GeldTransferTyp = 1;  // Gutschrift
  k.BLZ = "12345678";
  k.Name = name || "MUSTERMANN GMBH";
  k.Konto = "1234567890";
}

function newPayment(name) {
  var g = new ActiveXObject("OrvelDtAus.GeldTransfer");
  g.BLZ = "87654321";
  g.Konto = "1234567";
  g.Name = name || "ERIKA MUSTERMANN";
  g.BetragEuro = "100";
  g.VerwendungsZweck = "RECHNUNG 4711";
  return g;
}

function recordA(datum, name) {
  var datum8 = datum.substr(0, 4) + "20" + datum.substr(4, 2);
  return "0128AGK1234567800000000" + pad(name, 27) + datum + spaces(4) +
         "12345678900000000000" + spaces(15) + datum8 + spaces(24) + "1";
}

function recordC(name, headerName) {
  return "0187C12345678876543210001234567000000000000051000 00000000000123456781234567890" +
         "00000011900" + spaces(3) + pad(name, 27) + spaces(8) + pad(headerName, 27) +
         pad("RECHNUNG 4711", 27) + "1" + spaces(2) + "00" + spaces(69);
}

function recordE(count, konto, blz, euro) {
  return "0128E" + spaces(5) + zeros(count, 7) + repeat("0", 13) + zeros(konto, 17) +
         zeros(blz, 17) + zeros(euro, 13) + spaces(51);
}

function run() {
  // --- The worked example, byte for byte.
  var d = new ActiveXObject("OrvelDtAus.DtausDatei");
  var k = d.GetMeineInfo;
  fillHeader(k);
  d.AddGeldTransfer(newPayment());
  var path = work + "\\DTAUS0.TXT";
  d.Pfad = path;
  checkEq(d.Generate(), "", "worked example: Generate returns the empty text");
  var datum = k.AktuellesDatum;
  var bytes = readFile(path);
  checkEq(bytes.length, 512, "worked example: length");
  checkEq(bytes, recordA(datum, "MUSTERMANN GMBH") + recordC("ERIKA MUSTERMANN", "MUSTERMANN GMBH") +
          recordE(1, "1234567", "87654321", "11900"), "worked example: the whole file");

  // --- _DtausDatei
  check(d.GetMeineInfo === d.GetMeineInfo, "GetMeineInfo returns the same object");
  checkEq(errorOf(function () { d.GetMeineInfo = k; }), DISP_E_MEMBERNOTFOUND,
          "assigning GetMeineInfo is refused");
  checkEq(errorOf(function () { return d.Pfad; }), DISP_E_MEMBERNOTFOUND,
          "reading the write-only Pfad is refused");
  var d2 = new ActiveXObject("OrvelDtAus.DtausDatei");
  checkEq(d2.Generate(), "Bitte vorher den Pfad festlegen.", "Generate without a path");
  d2.Pfad = work + "\\LEER.TXT";
  checkEq(d2.Generate(), "Das MeineInfo-Objekt enth\u00e4lt Fehler.", "empty header");
  fillHeader(d2.GetMeineInfo);
  d2.AddGeldTransfer(new ActiveXObject("OrvelDtAus.GeldTransfer"));
  checkEq(d2.Generate(), "Das Geldtransfer-Objekt enth\u00e4lt Fehler.", "empty payment");

  // --- _MeineInfo: enumerations by value (also out of range), Booleans, messages.
  var m = new ActiveXObject("OrvelDtAus.MeineInfo");
  checkEq(m.MeineInfoIsValid(), false, "new header is invalid");
  checkEq(m.MeineInfoErrors(), "Fehler in MeineInfo:" + CR + CR + " - Wert <DateiMedia> fehlt." + CR +
          " - Wert <GeldTransferTyp> fehlt." + CR + " - Wert <BLZ> fehlt." + CR +
          " - Wert <Name> fehlt." + CR + " - Wert <Konto> fehlt." + CR, "errors of a new header");
  m.DateiMedia = 2;
  m.GeldTransferTyp = -1;
  m.BLZ = "1234567X";
  m.Name = "\u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df \u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df " +
           "\u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df \u00e4\u00f6\u00fc\u20ac";  // 28
  m.AktuellesDatum = "32.12.26";
  m.Konto = "12345678901";
  m.FreieReferenz = "";
  var errors = m.MeineInfoErrors();
  checkHas(errors, " - Ung\u00fcltiger Wert in Feld <DateiMedia>.", "DateiMedia = 2");
  checkHas(errors, " - Ung\u00fcltiger Wert in Feld <GeldTransferTyp>.", "GeldTransferTyp = -1");
  checkHas(errors, " - Ung\u00fcltiger Wert in Feld <BLZ>.", "BLZ with a letter");
  checkHas(errors, " - Wert hat nicht max. 27 Buchstaben in Feld <Name>.", "Name of 28");
  checkHas(errors, " - Ung\u00fcltiger Format f\u00fcr Feld <AktuellesDatum> " +
           "(Tag: Ung\u00fcltiger Wert ).", "AktuellesDatum on day 32");
  checkHas(errors, " - Wert hat nicht max. 10 Stellen in Feld <Konto>.", "Konto of 11 digits");
  checkHas(errors, " - Ung\u00fcltiger Wert in Feld <FreieReferenz>.", "empty FreieReferenz");
  m.DateiMedia = 1;
  m.GeldTransferTyp = 0;
  m.BLZ = "12345678";
  m.Name = "\u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df \u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df " +
           "\u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df \u00e4\u00f6\u20ac";  // 27
  m.AktuellesDatum = "05.12.26";
  checkEq(m.AktuellesDatum, "051226", "AktuellesDatum read back compacted");
  m.Konto = "42";
  m.FreieReferenz = "4711";
  m.AusfuehrungsDatum = "";
  checkEq(m.MeineInfoErrors(), "Fehler in MeineInfo:" + CR + CR, "all values accepted");
  checkEq(m.MeineInfoIsValid(), true, "complete header is valid");
  checkEq(errorOf(function () { return m.Name; }), DISP_E_MEMBERNOTFOUND, "write-only Name");
  checkEq(errorOf(function () { return m.getKonto(); }), JS_E_NO_SUCH_MEMBER,
          "internal getKonto is not reachable");

  // --- _GeldTransfer
  var g = new ActiveXObject("OrvelDtAus.GeldTransfer");
  checkEq(g.InputFieldsValid(), false, "new payment is invalid");
  var i;
  g.Name = repeat("x", 28);
  g.VerwendungsZweck9 = repeat("x", 28);
  g.BLZ = "1234567";
  g.Konto = "12.5";
  g.FreieReferenz = "12345678901234";
  g.BetragEuro = "abc";
  errors = g.InputFieldsErrors();
  checkHas(errors, " - Wert hat nicht max. 27 Buchstaben in Feld <Name>.", "Name of 28");
  checkHas(errors, " - Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck9>.",
           "VerwendungsZweck9 of 28");
  checkHas(errors, " - Wert <BLZ> hat nicht genau 8 Stellen.", "BLZ of 7");
  checkHas(errors, " - Ung\u00fcltiger Wert in Feld <Konto>.", "Konto 12.5");
  checkHas(errors, " - Wert hat nicht max. 13 Stellen in Feld <FreieReferenz>.", "FreieReferenz");
  checkHas(errors, " - Ung\u00fcltiger Wert in Feld <Euro Betrag>.", "BetragEuro abc");
  checkEq(g.BLZ, "", "rejected BLZ: nothing stored");
  g.BLZ = "00000000";
  checkEq(g.BLZ, "00000000", "BLZ read back");
  g.Konto = "12345";
  checkEq(g.Konto, "12345", "Konto read back");
  g.BetragEuroNetto = "0.01";
  checkEq(g.BetragEuroBrutto, "1", "BetragEuroNetto 0.01 gives 1 cent");
  g.BetragEuroBrutto = "1";
  checkEq(g.BetragEuroBrutto, "100", "BetragEuroBrutto 1 gives 100 cents");
  checkEq(errorOf(function () { return g.BetragEuro; }), DISP_E_MEMBERNOTFOUND,
          "write-only BetragEuro");

  // --- A path with characters no ANSI code page has.
  var dir = work + "\\\u4e2d\u6587 \u03a9";
  if (!fso.FolderExists(dir)) fso.CreateFolder(dir);
  var d3 = new ActiveXObject("OrvelDtAus.DtausDatei");
  fillHeader(d3.GetMeineInfo, "M\u00dcLLER & S\u00d6HNE \u20ac");
  d3.AddGeldTransfer(newPayment("J\u00dcRGEN SCH\u00c4FER \u00df"));
  d3.Pfad = dir + "\\DTAUS \u00e4\u20ac\u4e2d.TXT";
  checkEq(d3.Generate(), "", "Unicode path: Generate");
  bytes = readFile(dir + "\\DTAUS \u00e4\u20ac\u4e2d.TXT");
  checkEq(bytes, recordA(d3.GetMeineInfo.AktuellesDatum, "M\u00dcLLER & S\u00d6HNE \u20ac") +
          recordC("J\u00dcRGEN SCH\u00c4FER \u00df", "M\u00dcLLER & S\u00d6HNE \u20ac") +
          recordE(1, "1234567", "87654321", "11900"), "Unicode path: Windows-1252 content");
  checkEq(fso.GetFolder(dir).Files.Count, 1, "no temporary file left");

  // --- 1,000 payments: count and control sums in record E.
  var big = new ActiveXObject("OrvelDtAus.DtausDatei");
  fillHeader(big.GetMeineInfo);
  var kontoSum = 0, blzSum = 0, euroSum = 0, n = 1000;
  for (i = 1; i <= n; ++i) {
    var p = new ActiveXObject("OrvelDtAus.GeldTransfer");
    p.BLZ = String(10000000 + i);
    p.Konto = String(1000000000 + i * 7);
    p.Name = "ZAHLUNG " + i;
    p.BetragEuro = String(i);  // net euro: i * 119 cents gross
    big.AddGeldTransfer(p);
    kontoSum += 1000000000 + i * 7;
    blzSum += 10000000 + i;
    euroSum += i * 119;
  }
  var bigPath = work + "\\DTAUS1000.TXT";
  big.Pfad = bigPath;
  checkEq(big.Generate(), "", "1,000 payments: Generate");
  bytes = readFile(bigPath);
  checkEq(bytes.length, 128 + n * 256 + 128, "1,000 payments: length");
  var e = bytes.substr(bytes.length - 128);
  checkEq(e.substr(0, 5), "0128E", "1,000 payments: record E");
  checkEq(e.substr(10, 7), "0001000", "1,000 payments: count");
  checkEq(e.substr(30, 17), zeros(kontoSum, 17), "1,000 payments: account sum");
  checkEq(e.substr(47, 17), zeros(blzSum, 17), "1,000 payments: bank code sum");
  checkEq(e.substr(64, 13), zeros(euroSum, 13), "1,000 payments: euro sum");
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
