' Run-time errors: what Err holds, and where On Error Resume Next goes on.
Dim i, n, s

' An error in the condition at the foot of a loop goes on after the loop.
On Error Resume Next
n = 0
Do
  n = n + 1
Loop While 1 / 0
Assert n = 1 And Err.Number = 11, "Loop While: an error in the condition leaves the loop"
Err.Clear
n = 0
Do
  n = n + 1
  If n > 3 Then Exit Do
Loop Until CInt("x")
Assert n = 1 And Err.Number = 13, "Loop Until: an error in the condition leaves the loop"
On Error GoTo 0

' Err after a run-time error, a compilation error in Execute, and Err.Raise.
On Error Resume Next
i = 1 / 0
s = Err.Number & "|" & Err.Source & "|" & Err.Description & "|" & Err.HelpFile & "|" & Err.HelpContext
On Error GoTo 0
AssertEq s, "11|Microsoft VBScript runtime error|Division by zero||0"
On Error Resume Next
Execute "i = (1"
s = Err.Number & "|" & Err.Source & "|" & Err.Description & "|" & Err.HelpFile & "|" & Err.HelpContext
On Error GoTo 0
AssertEq s, "1006|Microsoft VBScript compilation error|Expected ')'||0"
On Error Resume Next
Err.Raise 1234
s = Err.Number & "|" & Err.Source & "|" & Err.Description
On Error GoTo 0
AssertEq s, "1234|Microsoft VBScript runtime error|Unknown runtime error"

' Join and Mid with what they cannot take.
AssertError "s = Join(Array(1, Null, 2), ""-"")", 94
AssertError "s = Join(Array(1, Nothing))", 13
AssertError "s = Mid(""abc"", 1, -1)", 5
AssertError "s = Mid(""abc"", 0)", 5
AssertEq Join(Array(1, Empty, "b"), "-"), "1--b"
