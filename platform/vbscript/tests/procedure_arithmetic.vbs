' Arithmetic over locals in loops and over recursive calls: types, overflow to Long and Double, errors.
Function AddTurns(s, n)
  Dim i
  For i = 1 To n
    s = s + (i Mod 7) * 3
  Next
  AddTurns = s
End Function
AssertEq AddTurns(0, 10), 81
AssertEq AddTurns(32760, 2), CLng(32769)
AssertEq AddTurns(2147483640, 2), CDbl(2147483649)
AssertEq AddTurns(Empty, 2), 9
AssertEq AddTurns("1", 1), CDbl(4)
AssertEq AddTurns(1.5, 1), 4.5
Function Remainders(x, y)
  Dim i, r
  For i = 1 To 2
    r = (x Mod y) * 10 + x \ y
  Next
  Remainders = r
End Function
AssertEq Remainders(-7, 3), -12
AssertEq Remainders(7, -3), 8
AssertEq Remainders(-32768, -1), CLng(32768)
AssertEq Remainders(7.5, 2), CLng(4)
AssertEq Remainders(6.5, 4), CLng(21)
AssertError "x = Remainders(1, 0)", 11
Function Turns(first, last, stepping, jump)
  Dim i, n
  For i = first To last Step stepping
    i = i + jump
    n = n + 1
  Next
  Turns = n & " " & i & " " & TypeName(i)
End Function
AssertEq Turns(1, 10, 1, 1), "5 11 Integer"
AssertEq Turns(10, 1, -3, 0), "4 -2 Integer"
AssertEq Turns(32766, 32767, 1, 0), "2 32768 Long"
Function Pow2(n)
  If n = 0 Then
    Pow2 = 1
  Else
    Pow2 = Pow2(n - 1) + Pow2(n - 1)
  End If
End Function
AssertEq Pow2(14), 16384
AssertEq Pow2(15), CLng(32768)
