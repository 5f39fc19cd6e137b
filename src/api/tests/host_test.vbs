' The VBScript host: OrvelDtAus late-bound, the way a script or an Office macro uses it:
' the worked example byte for byte, automation Booleans as -1 and 0, Nothing, and the
' error number 430. The deeper checks are in host_test.js.
'
'   cscript //nologo host_test.vbs <work directory> [de|en]
'
' The second argument names the user locale the script runs under (English when not
' given): scripts/test-com runs it under a German and an English one.
'
' cscript swallows uncaught errors and ends quietly, so every step runs under
' On Error Resume Next, every check counts, and the last line is "RESULT: PASS" or
' "RESULT: FAIL (...)", which scripts/test-com looks for. Output and checks are ASCII
' only: the console pipe would mangle anything else.
Option Explicit
On Error Resume Next

Dim checks, failures, work
checks = 0
failures = 0
work = WScript.Arguments(0)

Sub Check(ok, what)
  checks = checks + 1
  If Not ok Then
    failures = failures + 1
    WScript.Echo "FAIL: " & Replace(what, vbCr, "\r")
  End If
End Sub

Sub CheckEq(got, want, what)
  Check got = want, what & " | got [" & got & "] | want [" & want & "]"
End Sub

' Checks the error number the last statement left, and clears it for the next one.
Sub CheckError(number, what)
  CheckEq Err.Number, number, what & ": error number"
  Err.Clear
End Sub

Function Pad(text, width)
  Pad = text & Space(width - Len(text))
End Function

' The file as one character per byte: it is Windows-1252, the ANSI code page here.
Function ReadFile(path)
  Dim fso
  Set fso = CreateObject("Scripting.FileSystemObject")
  ReadFile = "<missing>"
  If Not fso.FileExists(path) Then Exit Function
  ReadFile = ""
  If fso.GetFile(path).Size > 0 Then ReadFile = fso.OpenTextFile(path, 1).ReadAll
End Function

' A file object with a valid header: credit transfers on a diskette, by value, since a
' script has no enumeration constants.
Function NewFile(path)
  Set NewFile = CreateObject("OrvelDtAus.DtausDatei")
  NewFile.GetMeineInfo.DateiMedia = 0
  NewFile.GetMeineInfo.GeldTransferTyp = 1
  NewFile.GetMeineInfo.BLZ = "12345678"
  NewFile.GetMeineInfo.Name = "MUSTERMANN GMBH"
  NewFile.GetMeineInfo.Konto = "1234567890"
  NewFile.Pfad = path
End Function

' The worked example: one credit transfer of 100 euro net gives 512 bytes.
Dim d, k, p, datum, datum8
Set d = NewFile(work & "\DTAUS0.TXT")
Set p = CreateObject("OrvelDtAus.GeldTransfer")
p.BLZ = "87654321"
p.Konto = "1234567"
p.Name = "ERIKA MUSTERMANN"
p.BetragEuro = "100"
p.VerwendungsZweck = "RECHNUNG 4711"
d.AddGeldTransfer p
CheckEq d.Generate, "", "worked example: Generate returns the empty text"
CheckError 0, "worked example"
datum = d.GetMeineInfo.AktuellesDatum
datum8 = Left(datum, 4) & "20" & Right(datum, 2)
CheckEq ReadFile(work & "\DTAUS0.TXT"), "0128AGK1234567800000000" & Pad("MUSTERMANN GMBH", 27) & _
    datum & Space(4) & "12345678900000000000" & Space(15) & datum8 & Space(24) & "1" & _
    "0187C12345678876543210001234567000000000000051000 00000000000123456781234567890" & _
    "00000011900" & Space(3) & Pad("ERIKA MUSTERMANN", 27) & Space(8) & _
    Pad("MUSTERMANN GMBH", 27) & Pad("RECHNUNG 4711", 27) & "1" & Space(2) & "00" & Space(69) & _
    "0128E" & Space(5) & "0000001" & String(23, "0") & "1234567" & String(9, "0") & _
    "87654321" & String(8, "0") & "11900" & Space(51), "worked example: the whole file"

' GetMeineInfo: the same object every time.
Set k = d.GetMeineInfo
Check d.GetMeineInfo Is k, "GetMeineInfo returns the same object"

' Automation Booleans: True is -1, not 1, or "If x = True" fails in VBA.
Dim m, g
Set m = CreateObject("OrvelDtAus.MeineInfo")
Set g = CreateObject("OrvelDtAus.GeldTransfer")
CheckEq VarType(k.MeineInfoIsValid) & VarType(g.InputFieldsValid), vbBoolean & vbBoolean, "VarType"
CheckEq CInt(k.MeineInfoIsValid) & " " & CInt(m.MeineInfoIsValid), "-1 0", "MeineInfoIsValid"
CheckEq CInt(p.InputFieldsValid) & " " & CInt(g.InputFieldsValid), "-1 0", "InputFieldsValid"

' Another kind of object is refused by the automation layer itself (error 430) and not
' added; Nothing is accepted and makes Generate fail, leaving an empty file.
Set d = NewFile(work & "\NOTHING.TXT")
d.AddGeldTransfer k
CheckError 430, "AddGeldTransfer with a MeineInfo object"
CheckEq d.Generate, "", "the refused object was not added"
d.AddGeldTransfer Nothing
CheckError 0, "AddGeldTransfer Nothing"
CheckEq Left(d.Generate, 17), "Sonstiger Fehler:", "Generate after AddGeldTransfer Nothing"
CheckEq ReadFile(work & "\NOTHING.TXT"), "", "failed Generate leaves an empty file"

' Amounts are read with the separators of the Windows user locale. CStr(1234.56), the
' most ordinary line of a German macro, is "1234,56" there and means 1234.56 euro; a
' separator where the locale does not put one makes no amount at all, and the amount
' stored before (7 euro) stays.
Sub AssignAmount(payment, name, value)
  Select Case name
    Case "BetragEuro": payment.BetragEuro = value
    Case "BetragEuroNetto": payment.BetragEuroNetto = value
    Case Else: payment.BetragEuroBrutto = value
  End Select
End Sub

Dim locale, amounts, i, invalid
locale = "en"
If WScript.Arguments.Count > 1 Then locale = WScript.Arguments(1)
If locale = "de" Then
  CheckEq CStr(1234.56), "1234,56", "the German user locale is in effect"
  amounts = Array("BetragEuroBrutto", CStr(1234.56), "123456", _
                  "BetragEuroBrutto", "1.234,56", "123456", "BetragEuro", "12,34", "1468", _
                  "BetragEuroBrutto", "1234.56", "700", "BetragEuroNetto", "12.34", "700", _
                  "BetragEuroBrutto", "1,234.56", "700", "BetragEuroBrutto", "1.5.", "700", _
                  "BetragEuroBrutto", "1.2.3,5", "700", "BetragEuro", "1.234.", "700")
Else
  CheckEq CStr(1234.56), "1234.56", "an English user locale is in effect"
  amounts = Array("BetragEuroBrutto", CStr(1234.56), "123456", _
                  "BetragEuroBrutto", "1,234.56", "123456", "BetragEuro", "12.34", "1468", _
                  "BetragEuroBrutto", "1234,56", "700", "BetragEuroNetto", "12,34", "700", _
                  "BetragEuroBrutto", "1.234,56", "700", "BetragEuroBrutto", "1.5.", "700", _
                  "BetragEuroBrutto", "1,2,3.5", "700", "BetragEuro", "1,234,", "700")
End If
For i = 0 To UBound(amounts) Step 3
  Set g = CreateObject("OrvelDtAus.GeldTransfer")
  g.BetragEuroBrutto = "7"
  AssignAmount g, amounts(i), amounts(i + 1)
  invalid = InStr(g.InputFieldsErrors, "Wert in Feld <Euro Betrag>.") > 0
  CheckEq g.BetragEuroBrutto & " " & invalid, amounts(i + 2) & " " & (amounts(i + 2) = "700"), _
          locale & ": " & amounts(i) & " = " & amounts(i + 1) & ": cents, invalid"
Next
CheckError 0, "amounts"

If failures = 0 And Err.Number = 0 Then
  WScript.Echo "RESULT: PASS (" & checks & " checks)"
Else
  If Err.Number <> 0 Then WScript.Echo "FAIL: unexpected error " & Err.Number
  WScript.Echo "RESULT: FAIL (" & failures & " of " & checks & " checks)"
End If
