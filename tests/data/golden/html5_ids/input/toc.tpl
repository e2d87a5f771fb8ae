<ul class="toc">
<!--#for var="item"--><!--#if var="open"--><!--#echo var="indentation"--><li><a href="<!--#echo var="link"-->"><!--#echo var="numbering"--><!--#echo var="text"--></a><!--#if var="children"-->
<!--#echo var="indentation"--><ul>
<!--#else--></li>
<!--#endif--><!--#else--><!--#echo var="indentation"--></ul></li>
<!--#endif--><!--#endfor--></ul>
