select 'café' /* 1252 */
