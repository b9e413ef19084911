select 'café', 'naïve' -- €
