' The VBScript host: OrvelDtAus late-bound, the way a script or an Office macro uses it.
'
'   cscript //nologo host_test.vbs <work directory>
'
' cscript swallows uncaught errors and ends quietly, so every step runs under
' On Error Resume Next, every check counts, and the last line is "RESULT: PASS" or
' "RESULT: FAIL (...)", which scripts/test-com looks for. Output is ASCII only: the
' console pipe would mangle anything else. German text is compared inside the script,
' built with Chr() because the script file itself is read as Windows-1252 and must stay
' ASCII (Wine's VBScript has no ChrW).
Option Explicit
On Error Resume Next

Dim checks, failures, work
checks = 0
failures = 0
work = WScript.Arguments(0)

' ---------------------------------------------------------------------------------
' Helpers

' {ae} {oe} {ue} {Ae} {Oe} {Ue} {sz} {euro}: the non-ASCII characters of the messages
' and the data, as Windows-1252 codes.
Function T(text)
  Dim pairs, i
  pairs = Array("{ae}", 228, "{oe}", 246, "{ue}", 252, "{Ae}", 196, "{Oe}", 214, "{Ue}", 220, _
      "{sz}", 223, "{euro}", 128)
  T = text
  For i = 0 To UBound(pairs) Step 2
    T = Replace(T, pairs(i), Chr(pairs(i + 1)))
  Next
End Function

' The text as printable ASCII: carriage returns as \r, anything else as \xNN.
Function Visible(text)
  Dim i, c, out
  out = ""
  For i = 1 To Len(text)
    c = Asc(Mid(text, i, 1))
    If c = 13 Then
      out = out & "\r"
    ElseIf c < 32 Or c > 126 Then
      out = out & "\x" & Right("0" & Hex(c), 2)
    Else
      out = out & Chr(c)
    End If
  Next
  Visible = out
End Function

Sub Check(ok, what)
  checks = checks + 1
  If Not ok Then
    failures = failures + 1
    WScript.Echo "FAIL: " & Visible(what)
  End If
End Sub

Sub CheckEq(got, want, what)
  checks = checks + 1
  If got <> want Then
    failures = failures + 1
    WScript.Echo "FAIL: " & Visible(what) & " | got [" & Visible(CStr(got)) & "] | want [" & _
        Visible(CStr(want)) & "]"
  End If
End Sub

' The error number the last statement left, cleared for the next one.
Function TakeError()
  TakeError = Err.Number
  Err.Clear
End Function

Sub CheckNoError(what)
  CheckEq TakeError(), 0, what & ": no error"
End Sub

Sub CheckHas(errors, message, what)
  Check InStr(errors, message) > 0, what & ": expected [" & message & "] in [" & errors & "]"
End Sub

Sub CheckHasNot(errors, message, what)
  Check InStr(errors, message) = 0, what & ": unexpected [" & message & "] in [" & errors & "]"
End Sub

Function Pad(text, width)
  Pad = text & Space(width - Len(text))
End Function

Function Zeros(text, width)
  Zeros = String(width - Len(text), "0") & text
End Function

Function ReadFile(path)
  Dim fso, stream
  Set fso = CreateObject("Scripting.FileSystemObject")
  ReadFile = "<missing>"
  If Not fso.FileExists(path) Then Exit Function
  If fso.GetFile(path).Size = 0 Then
    ReadFile = ""
    Exit Function
  End If
  ' The file is Windows-1252, the ANSI code page of this prefix: one character per byte.
  Set stream = fso.OpenTextFile(path, 1)
  ReadFile = stream.ReadAll
  stream.Close
End Function

Sub FillHeader(k)
  k.DateiMedia = 0          ' Diskette, by value: a script has no enumeration constants
  k.GeldTransferTyp = 1     ' Gutschrift
  k.BLZ = "12345678"
  k.Name = "MUSTERMANN GMBH"
  k.Konto = "1234567890"
End Sub

Function NewPayment()
  Dim g
  Set g = CreateObject("OrvelDtAus.GeldTransfer")
  g.BLZ = "87654321"
  g.Konto = "1234567"
  g.Name = "ERIKA MUSTERMANN"
  g.BetragEuro = "100"
  g.VerwendungsZweck = "RECHNUNG 4711"
  Set NewPayment = g
End Function

Dim CR
CR = Chr(13)

' ---------------------------------------------------------------------------------
' The worked example: a valid credit-transfer header on a diskette and one payment of
' 100 euro net give 512 bytes.

Dim d, k, g, path, bytes, datum, datum8, expected
Set d = CreateObject("OrvelDtAus.DtausDatei")
CheckNoError "CreateObject(""OrvelDtAus.DtausDatei"")"
Set k = d.GetMeineInfo
FillHeader k
Set g = NewPayment()
d.AddGeldTransfer g
path = work & "\DTAUS0.TXT"
d.Pfad = path
CheckEq d.Generate, "", "worked example: Generate returns the empty text"
CheckNoError "worked example"
bytes = ReadFile(path)
datum = k.AktuellesDatum
datum8 = Left(datum, 4) & "20" & Right(datum, 2)
expected = "0128AGK1234567800000000" & Pad("MUSTERMANN GMBH", 27) & datum & Space(4) & _
    "12345678900000000000" & Space(15) & datum8 & Space(24) & "1" & _
    "0187C12345678876543210001234567000000000000051000 00000000000123456781234567890" & _
    "00000011900" & Space(3) & Pad("ERIKA MUSTERMANN", 27) & Space(8) & _
    Pad("MUSTERMANN GMBH", 27) & Pad("RECHNUNG 4711", 27) & "1" & Space(2) & "00" & Space(69) & _
    "0128E" & Space(5) & "0000001" & String(13, "0") & Zeros("1234567", 17) & _
    Zeros("87654321", 17) & Zeros("11900", 13) & Space(51)
CheckEq Len(bytes), 512, "worked example: length"
CheckEq bytes, expected, "worked example: the whole file"
CheckEq Mid(bytes, 129 + 44, 5), "51000", "record C positions 45-49"
CheckEq Mid(bytes, 129 + 79, 11), "00000011900", "record C positions 80-90"
CheckEq Mid(bytes, 385 + 10, 7), "0000001", "record E positions 11-17"
CheckEq Mid(bytes, 385 + 64, 13), "0000000011900", "record E positions 65-77"

' ---------------------------------------------------------------------------------
' _DtausDatei

' GetMeineInfo: the same object every time, and read-only.
Check d.GetMeineInfo Is d.GetMeineInfo, "GetMeineInfo returns the same object"
Check d.GetMeineInfo Is k, "GetMeineInfo returns the header that was filled in"
Set d.GetMeineInfo = k
CheckEq TakeError(), 438, "assigning GetMeineInfo is refused"
Dim x
x = d.Pfad
CheckEq TakeError(), 438, "reading the write-only Pfad is refused"

' Generate's messages.
Dim d2
Set d2 = CreateObject("OrvelDtAus.DtausDatei")
CheckEq d2.Generate, "Bitte vorher den Pfad festlegen.", "Generate without a path"
d2.Pfad = work & "\LEER.TXT"
CheckEq d2.Generate, T("Das MeineInfo-Objekt enth{ae}lt Fehler."), "Generate with an empty header"
CheckEq ReadFile(work & "\LEER.TXT"), "", "invalid header leaves an empty file"
FillHeader d2.GetMeineInfo
d2.AddGeldTransfer CreateObject("OrvelDtAus.GeldTransfer")
CheckEq d2.Generate, T("Das Geldtransfer-Objekt enth{ae}lt Fehler."), "Generate with an empty payment"
CheckNoError "Generate with errors"

' Kassette, by value: records A and E of 256 bytes.
Set d2 = CreateObject("OrvelDtAus.DtausDatei")
FillHeader d2.GetMeineInfo
d2.GetMeineInfo.DateiMedia = 1
d2.Pfad = work & "\KASSETTE.TXT"
CheckEq d2.Generate, "", "Kassette without payments"
bytes = ReadFile(work & "\KASSETTE.TXT")
CheckEq Len(bytes), 512, "Kassette: records A and E of 256"
CheckEq Left(bytes, 4) & Mid(bytes, 257, 5), "02560256E", "Kassette: record lengths"

' Nothing is accepted and makes Generate fail; another kind of object is refused by
' the automation layer itself (error 430) and not added.
Set d2 = CreateObject("OrvelDtAus.DtausDatei")
FillHeader d2.GetMeineInfo
d2.Pfad = work & "\NOTHING.TXT"
d2.AddGeldTransfer k
CheckEq TakeError(), 430, "AddGeldTransfer with a MeineInfo object"
CheckEq d2.Generate, "", "the refused object was not added"
d2.AddGeldTransfer Nothing
CheckNoError "AddGeldTransfer Nothing"
CheckEq Left(d2.Generate, 17), "Sonstiger Fehler:", "Generate after AddGeldTransfer Nothing"
CheckEq ReadFile(work & "\NOTHING.TXT"), "", "failed Generate leaves an empty file"

' ---------------------------------------------------------------------------------
' _MeineInfo

Dim m, errors
Set m = CreateObject("OrvelDtAus.MeineInfo")
CheckNoError "CreateObject(""OrvelDtAus.MeineInfo"")"
CheckEq VarType(m.MeineInfoIsValid), vbBoolean, "MeineInfoIsValid is an automation Boolean"
CheckEq CInt(m.MeineInfoIsValid), 0, "new header is invalid: False is 0"
CheckEq m.MeineInfoErrors, "Fehler in MeineInfo:" & CR & CR & _
    " - Wert <DateiMedia> fehlt." & CR & " - Wert <GeldTransferTyp> fehlt." & CR & _
    " - Wert <BLZ> fehlt." & CR & " - Wert <Name> fehlt." & CR & " - Wert <Konto> fehlt." & CR, _
    "errors of a new header"

m.DateiMedia = 2
m.GeldTransferTyp = 5
m.BLZ = "1234567"
m.Name = T("{Ae}{Oe}{Ue}{ae}{oe}{ue}{sz} {Ae}{Oe}{Ue}{ae}{oe}{ue}{sz} {Ae}{Oe}{Ue}{ae}{oe}{ue}{sz} {ae}{oe}{ue}{euro}")
m.AktuellesDatum = "5.12.26"
m.Konto = "12a"
m.FreieReferenz = "12345678901"
m.AusfuehrungsDatum = "01.01.2000"
CheckNoError "rejected values never raise an error"
errors = m.MeineInfoErrors
CheckHas errors, T(" - Ung{ue}ltiger Wert in Feld <DateiMedia>."), "DateiMedia = 2"
CheckHas errors, T(" - Ung{ue}ltiger Wert in Feld <GeldTransferTyp>."), "GeldTransferTyp = 5"
CheckHas errors, " - Wert hat nicht genau 8 Stellen in Feld <BLZ>.", "BLZ of 7 digits"
CheckHas errors, " - Wert hat nicht max. 27 Buchstaben in Feld <Name>.", "Name of 28 characters"
CheckHas errors, T(" - Ung{ue}ltiger Format f{ue}r Feld <AktuellesDatum> (Ung{ue}ltiger Format )."), _
    "AktuellesDatum of 7 characters"
CheckEq m.AktuellesDatum, "", "rejected AktuellesDatum reads as empty"
CheckHas errors, T(" - Ung{ue}ltiger Wert in Feld <Konto>."), "Konto 12a"
CheckHas errors, " - Wert hat nicht max. 10 Stellen in Feld <FreieReferenz>.", "FreieReferenz of 11 digits"
CheckHas errors, T(" - Wert f{ue}r <AktuellesDatum> fehlt."), "AusfuehrungsDatum without creation date"
CheckHasNot errors, "Wert <DateiMedia> fehlt.", "DateiMedia assigned"

m.DateiMedia = 0
m.GeldTransferTyp = 0
m.BLZ = "12345678"
m.Name = T("{Ae}{Oe}{Ue}{ae}{oe}{ue}{sz} {Ae}{Oe}{Ue}{ae}{oe}{ue}{sz} {Ae}{Oe}{Ue}{ae}{oe}{ue}{sz} {ae}{oe}{euro}")
m.AktuellesDatum = "05.12.26"
CheckEq m.AktuellesDatum, "051226", "AktuellesDatum read back compacted"
m.AktuellesDatum = datum
m.Konto = "42"
m.FreieReferenz = "4711"
m.AusfuehrungsDatum = datum8
CheckEq m.MeineInfoErrors, "Fehler in MeineInfo:" & CR & CR, "all values accepted (27 non-ASCII characters)"
CheckEq CInt(m.MeineInfoIsValid), -1, "complete header is valid: True is -1"
m.AusfuehrungsDatum = "32" & Mid(datum8, 3)
CheckHas m.MeineInfoErrors, T(" - Ung{ue}ltiger Format f{ue}r Feld <AusfuehrungsDatum>."), _
    "AusfuehrungsDatum on day 32"
m.AusfuehrungsDatum = ""
CheckNoError "AusfuehrungsDatum empty"

' Write-only properties and internal members cannot be read.
x = m.BLZ
CheckEq TakeError(), 438, "reading the write-only MeineInfo.BLZ"
x = m.DateiMedia
CheckEq TakeError(), 438, "reading the write-only DateiMedia"
x = m.getHeaderAsStream
CheckEq TakeError(), 438, "internal getHeaderAsStream is not reachable"

' ---------------------------------------------------------------------------------
' _GeldTransfer

Set g = CreateObject("OrvelDtAus.GeldTransfer")
CheckNoError "CreateObject(""OrvelDtAus.GeldTransfer"")"
CheckEq VarType(g.InputFieldsValid), vbBoolean, "InputFieldsValid is an automation Boolean"
CheckEq CInt(g.InputFieldsValid), 0, "new payment is invalid: False is 0"
CheckEq g.InputFieldsErrors, "Fehler in GeldTransfer:" & CR & CR & " - Wert <BLZ> fehlt." & CR & _
    " - Wert <Name> fehlt." & CR & " - Wert <Konto> fehlt." & CR & " - Wert <EuroBetrag> fehlt." & CR, _
    "errors of a new payment"

' Every text property with 28 characters: each breaks the rule of its own field.
Dim long28
long28 = String(28, "x")
g.BLZ = long28
g.Name = long28
g.Konto = long28
g.FreieReferenz = long28
g.BetragEuro = long28
g.VerwendungsZweck = long28
g.VerwendungsZweck2 = long28
g.VerwendungsZweck3 = long28
g.VerwendungsZweck4 = long28
g.Name2 = long28
g.MeineInfoName2 = long28
g.VerwendungsZweck5 = long28
g.VerwendungsZweck6 = long28
g.VerwendungsZweck7 = long28
g.VerwendungsZweck8 = long28
g.VerwendungsZweck9 = long28
g.VerwendungsZweck10 = long28
g.VerwendungsZweck11 = long28
g.VerwendungsZweck12 = long28
g.VerwendungsZweck13 = long28
g.VerwendungsZweck14 = long28
CheckNoError "28 characters never raise an error"
errors = g.InputFieldsErrors
CheckHas errors, " - Wert <BLZ> hat nicht genau 8 Stellen.", "BLZ"
CheckHas errors, " - Wert hat nicht max. 27 Buchstaben in Feld <Name>.", "Name"
CheckHas errors, " - Wert hat nicht max. 10 Stellen in Feld <Konto>.", "Konto"
CheckHas errors, " - Wert hat nicht max. 13 Stellen in Feld <FreieReferenz>.", "FreieReferenz"
CheckHas errors, T(" - Ung{ue}ltiger Wert in Feld <Euro Betrag>."), "BetragEuro"
CheckHas errors, " - Wert hat nicht max. 27 Buchstaben in Feld <VerwendungsZweck>.", "VerwendungsZweck"
Dim name, i
For Each name In Array("VerwendungsZweck2", "VerwendungsZweck3", "VerwendungsZweck4", "Name2", _
    "MeineInfoName2", "VerwendungsZweck5", "VerwendungsZweck6", "VerwendungsZweck7", _
    "VerwendungsZweck8", "VerwendungsZweck9", "VerwendungsZweck10", "VerwendungsZweck11", _
    "VerwendungsZweck12", "VerwendungsZweck13", "VerwendungsZweck14")
  CheckHas errors, " - Wert hat nicht max. 27 Buchstaben in Feld <" & name & ">.", name
Next

' Accepted values, read back where the interface allows it.
g.BLZ = "87654321"
g.Name = T("J{Ue}RGEN SCH{Ae}FER {sz}")
g.Konto = "1234567"
g.FreieReferenz = "1234567890123"
g.BetragEuro = "100"
CheckEq g.BetragEuroBrutto, "11900", "BetragEuro 100 gives 11900 cents"
g.BetragEuroNetto = "1"
CheckEq g.BetragEuroBrutto, "119", "BetragEuroNetto 1 gives 119 cents"
g.BetragEuroBrutto = "10"
CheckEq g.BetragEuroBrutto, "1000", "BetragEuroBrutto 10 gives 1000 cents"
g.BetragEuroBrutto = "abc"
CheckEq g.BetragEuroBrutto, "1000", "rejected amount keeps the stored one"
g.BetragEuroBrutto = "119"
g.VerwendungsZweck = "RECHNUNG 4711"
g.VerwendungsZweck2 = "Z2"
g.VerwendungsZweck3 = "Z3"
g.VerwendungsZweck4 = "Z4"
g.Name2 = "N2"
g.MeineInfoName2 = "M2"
g.VerwendungsZweck5 = "Z5"
g.VerwendungsZweck6 = "Z6"
g.VerwendungsZweck7 = "Z7"
g.VerwendungsZweck8 = "Z8"
g.VerwendungsZweck9 = "Z9"
g.VerwendungsZweck10 = "Z10"
g.VerwendungsZweck11 = "Z11"
g.VerwendungsZweck12 = "Z12"
g.VerwendungsZweck13 = "Z13"
g.VerwendungsZweck14 = "Z14"
CheckEq g.BLZ, "87654321", "BLZ read back"
CheckEq g.Konto, "1234567", "Konto read back"
CheckEq g.InputFieldsErrors, "Fehler in GeldTransfer:" & CR & CR, "all values accepted"
CheckEq CInt(g.InputFieldsValid), -1, "complete payment is valid: True is -1"
g.BLZ = "8765432X"
CheckEq g.BLZ, "87654321", "rejected BLZ keeps the stored one"
CheckHas g.InputFieldsErrors, T(" - Ung{ue}ltiger Wert in Feld <BLZ>."), "BLZ with a letter"
g.BLZ = "87654321"

x = g.Name
CheckEq TakeError(), 438, "reading the write-only GeldTransfer.Name"
x = g.VerwendungsZweck9
CheckEq TakeError(), 438, "reading the write-only VerwendungsZweck9"
x = g.prepareStream
CheckEq TakeError(), 438, "internal prepareStream is not reachable"

' The payment with all fifteen extension parts, written in their fixed order.
Set d2 = CreateObject("OrvelDtAus.DtausDatei")
FillHeader d2.GetMeineInfo
d2.AddGeldTransfer g
d2.Pfad = work & "\PARTS.TXT"
CheckEq d2.Generate, "", "payment with 15 extension parts"
bytes = ReadFile(work & "\PARTS.TXT")
CheckEq Len(bytes), 128 + 768 + 128, "record C of six blocks"
CheckEq Mid(bytes, 129, 4), "0622", "record length 187 + 15 * 29"
CheckEq Mid(bytes, 129 + 93, 27), Pad(T("J{Ue}RGEN SCH{Ae}FER {sz}"), 27), "payee's name in Windows-1252"
CheckEq Mid(bytes, 129 + 185, 2 + 29 * 2), "15" & "01" & Pad("N2", 27) & "02" & Pad("Z2", 27), _
    "count and the first two extension parts"
CheckEq Mid(bytes, 129 + 640, 29), "03" & Pad("M2", 27), "the 03 part comes last"

If failures = 0 And Err.Number = 0 Then
  WScript.Echo "RESULT: PASS (" & checks & " checks)"
Else
  If Err.Number <> 0 Then WScript.Echo "FAIL: unexpected error " & Err.Number & " " & Err.Description
  WScript.Echo "RESULT: FAIL (" & failures & " of " & checks & " checks)"
End If
