x=1|0
y=7

<!--#for var="x"--><!--#if var="x"--><!--#echo var="y"--><!--#for var="x"-->[<!--#echo var="x"-->]<!--#endfor--><!--#endif--><!--#endfor--><!--#include file="z"--><!--#FOR VAR="x"-->