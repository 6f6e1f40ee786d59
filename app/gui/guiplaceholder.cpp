// Windows live here.
