a=x

<!--#if var="a"-->A<!--#else-->B<!--#endif--><!--#endif--><!--#for-->x<!--#endfor-->