' Numeric literals and the built-in constants keep VBScript's types.
AssertEq TypeName(&h10&), "Long"
AssertEq &h10&, CLng(16)
AssertEq TypeName(&o17&), "Long"
AssertEq &hFFFF, -1
AssertEq TypeName(&hFFFF), "Integer"
AssertEq &hFFFF&, CLng(65535)
AssertEq TypeName(&h8000) & &h8000, "Integer-32768"
AssertEq TypeName(&h10000), "Long"
AssertEq TypeName(&h10& + 1), "Long"
AssertEq TypeName(32767), "Integer"
AssertEq TypeName(32768), "Long"
AssertEq TypeName(2147483648), "Double"
AssertEq TypeName(&HFF) & &HFF & TypeName(&O17) & &O17 & TypeName(&H7FFFFFFF) & &H7FFFFFFF, "Integer255Integer15Long2147483647"
AssertEq TypeName(#3:00 PM#) & TypeName(1.5) & TypeName("s") & vbRed, "DateDoubleString255"

Dim c
For Each c In Array("vbMsgBoxHelpButton", "vbMsgBoxSetForeground", "vbMsgBoxRight", "vbMsgBoxRtlReading", _
                    "vbObjectError", "vbBlack", "vbRed", "vbGreen", "vbYellow", "vbBlue", "vbMagenta", "vbCyan", "vbWhite")
  AssertEq c & " " & TypeName(Eval(c)), c & " Long"
Next
For Each c In Array("vbOKOnly", "vbYesNo", "vbCritical", "vbDefaultButton2", "vbSystemModal", "vbYes", "vbSunday", _
                    "vbBinaryCompare", "vbString", "vbArray", "vbTrue", "vbUseDefault", "vbLongDate", "vbFirstJan1")
  AssertEq c & " " & TypeName(Eval(c)), c & " Integer"
Next
AssertEq TypeName(vbCrLf) & TypeName(vbNullChar), "StringString"
