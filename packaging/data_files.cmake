# The data files of data/ that every installed program needs beside it, for
# the FHS install (install.cmake) and the distribution folder
# (make_distribution.cmake), which adds its readme.txt.
set(orvane_data_files help.html license.txt vorn_set.txt brenit.gif logo.gif orvane.png)
set(orvane_data_folders vtdata help)
