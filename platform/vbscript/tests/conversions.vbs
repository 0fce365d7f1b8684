' Conversions and the numeric functions: Null is "Invalid use of Null" (94), text that is no
' number a type mismatch (13), a value out of range an overflow (6). Abs, Hex and Oct give
' Null for Null, as documented.
Dim f, x
For Each f In Array("CInt", "CLng", "CByte", "CSng", "CDbl", "CCur", "CDate", "Sgn")
  AssertError "x = " & f & "(Null)", 94
  AssertError "Call " & f & "(Null)", 94
  AssertError "x = " & f & "(""abc"")", 13
  AssertError "Call " & f & "(""abc"")", 13
Next
For Each f In Array("Abs", "Hex", "Oct")
  AssertEq Eval(f & "(Null)"), Null
  AssertError "x = " & f & "(""abc"")", 13
Next
AssertError "x = CInt(32768)", 6
AssertError "x = CInt(-32769)", 6
AssertError "x = CLng(2147483648)", 6
AssertError "x = CByte(-1)", 6
AssertError "x = CByte(256)", 6
AssertError "x = CSng(1E+300)", 6
AssertError "x = CCur(1E+300)", 6
AssertError "x = CDate(1E+300)", 6
AssertError "x = Hex(1E+20)", 6
AssertError "x = Oct(-1E+20)", 6
AssertError "Call CLng(1)", 458
AssertEq Abs(-32768), CLng(32768)
AssertEq CInt("  12 "), 12

' Split, InStrRev and Randomize with arguments out of range.
AssertError "x = Split(""a b"", "" "", -2)", 5
AssertError "x = Split(""a b"", "" "", -1, 3)", 5
AssertError "x = InStrRev(""abc"", ""b"", 0)", 5
AssertError "x = InStrRev(""abc"", ""b"", -2)", 5
AssertError "x = InStrRev(""abc"", ""b"", 1, 3)", 5
AssertError "x = InStrRev(""abc"", ""b"", Null)", 94
AssertError "Randomize ""abc""", 5
AssertError "Randomize CreateObject(""Scripting.Dictionary"")", 5
AssertError "Randomize "" 12 """, 0
AssertEq InStrRev("abc", "b", 9), CLng(0)

' The texts "#TRUE#" and "#FALSE#" are Booleans wherever a Boolean is read.
AssertEq Not "#FALSE#", True
AssertEq Not "#true#", False
AssertEq "#TRUE#" And True, True
AssertEq "False" Or False, False
AssertEq CBool("#FALSE#"), False
AssertError "x = Not ""maybe""", 13

' IsNumeric of objects: the default value decides; Nothing and other objects are not numbers.
Class Twelve
  Public Default Property Get Value
    Value = "12"
  End Property
End Class
Class Plain
End Class
Assert Not IsNumeric(Nothing), "IsNumeric(Nothing)"
Assert Not IsNumeric(New Plain), "IsNumeric of an object without a default member"
Assert Not IsNumeric(CreateObject("Scripting.Dictionary")), "IsNumeric of a dictionary"
Assert IsNumeric(New Twelve), "IsNumeric of an object whose default value is a number"
